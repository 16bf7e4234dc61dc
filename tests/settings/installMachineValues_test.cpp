// The installer step of a source checkout: writes top_folder, date_installed
// and web_service_address into the machine-wide root only when they are absent.
#include <gtest/gtest.h>

#include <cstdlib>

#include "recorderSession.h"
#include "regWithoutKeyname.h"
#include "testsupport.h"

using namespace testsupport;

namespace {

int runInstaller(const std::string& top) {
    const std::string cmd = std::string("'") + INSTALLER_PROGRAM + "' '" + top + "' >/dev/null";
    return std::system(cmd.c_str());
}

TEST(installMachineValues, WritesOnlyWhatIsAbsent) {
    TempHome home;
    ScopedEnv machine("TOBREL_MACHINE_REGISTRY", home.home() + "/machine");
    ASSERT_EQ(runInstaller("/checkout/one/"), 0);
    std::string top;
    bool present = false;
    long installed = 0;
    ASSERT_EQ(recorderSessionGetTopFolder(top), 0);
    EXPECT_EQ(top, "/checkout/one");
    ASSERT_EQ(recorderSessionGetDateInstalled(present, installed), 0);
    EXPECT_TRUE(present);
    std::string service;
    ASSERT_EQ(recorderSessionGetWebServiceAddress(service), 0);
    EXPECT_EQ(service, "https://www.tobrel.com");

    // A second run keeps both values, so the next start is not a first run again.
    regWithoutKeynameWrite(REG_ROOT_LOCAL_MACHINE, "SOFTWARE\\Tobrel\\500\\date_installed", "1000");
    ASSERT_EQ(runInstaller("/checkout/two"), 0);
    ASSERT_EQ(recorderSessionGetTopFolder(top), 0);
    EXPECT_EQ(top, "/checkout/one");
    ASSERT_EQ(recorderSessionGetDateInstalled(present, installed), 0);
    EXPECT_EQ(installed, 1000);

    // A date that the program would read as absent is replaced.
    regWithoutKeynameWrite(REG_ROOT_LOCAL_MACHINE, "SOFTWARE\\Tobrel\\500\\date_installed", "12a");
    ASSERT_EQ(runInstaller("/checkout/one"), 0);
    ASSERT_EQ(recorderSessionGetDateInstalled(present, installed), 0);
    EXPECT_TRUE(present);
    EXPECT_GT(installed, 1000);

    EXPECT_NE(runInstaller("relative"), 0);
}

}  // namespace
