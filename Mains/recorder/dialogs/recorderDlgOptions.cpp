// The Options dialog.
//
// OK applies the settings in a fixed order; a failing step leaves the dialog
// open with the steps before it applied. The encoder is told about a new bit
// rate or channel count once, after both were looked at, so the pre-encoded
// files are deleted only once.
#include "recorderDlgOptions.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <array>
#include <charconv>

#include "recorderApp.h"
#include "recorderDialogForm.h"
#include "recorderDialogLook.h"
#include "recorderMainWindow.h"
#include "recorderPlayerNaming.h"
#include "recorderSession.h"
#include "recorderSongList.h"
#include "report.h"
#include "sndDevicesEngine.h"
#include "sndDevicesMp3BitRates.h"

static constexpr const char* kReportModule = "./recorderDlgOptions";

namespace {

struct BitRateChoice {
    int kbps;
    const char* id;
    const char* label;
};
constexpr std::array<BitRateChoice, 6> kBitRates{{{64, kOptionsKbps64, "64 Kbps"},
                                                  {96, kOptionsKbps96, "96 Kbps"},
                                                  {128, kOptionsKbps128, "128 Kbps"},
                                                  {192, kOptionsKbps192, "192 Kbps"},
                                                  {256, kOptionsKbps256, "256 Kbps"},
                                                  {320, kOptionsKbps320, "320 Kbps"}}};
// The choices are the engine's bit rates, in its order.
constexpr bool offersEveryBitRate() {
    for (size_t i = 0; i < kBitRates.size(); ++i)
        if (kBitRates[i].kbps != kSndMp3BitRates[i]) return false;
    return kBitRates.size() == kSndMp3BitRates.size();
}
static_assert(offersEveryBitRate());

constexpr size_t bitRateChoice(int kbps) {
    for (size_t i = 0; i < kBitRates.size(); ++i)
        if (kBitRates[i].kbps == kbps) return i;
    return kBitRates.size();
}

struct OptionsDialog {
    QDialog* dialog = nullptr;
    QPushButton* ok = nullptr;
    QCheckBox* alwaysOnTop = nullptr;
    QCheckBox* removeAfterSave = nullptr;
    QCheckBox* clearOnExit = nullptr;
    QCheckBox* nameFromPlayers = nullptr;
    QLineEdit* shortDuration = nullptr;
    QRadioButton* mono = nullptr;
    QRadioButton* stereo = nullptr;
    std::array<QRadioButton*, kBitRates.size()> kbps{};
};

QCheckBox* addCheck(QDialog& dialog, QVBoxLayout& layout, const char* text, const char* id) {
    auto* box = new QCheckBox(text, &dialog);
    box->setObjectName(id);
    layout.addWidget(box);
    return box;
}

QRadioButton* addRadio(QDialog& dialog, QButtonGroup& group, QLayout& layout, const char* text,
                       const char* id) {
    auto* radio = new QRadioButton(text, &dialog);
    radio->setObjectName(id);
    group.addButton(radio);
    layout.addWidget(radio);
    return radio;
}

void build(OptionsDialog& d) {
    QDialog& dialog = *d.dialog;
    QVBoxLayout* layout = recorderDialogFormStart(dialog, kDlgOptionsCaption);
    d.alwaysOnTop = addCheck(dialog, *layout, "Window always on top", kOptionsAlwaysOnTop);
    d.removeAfterSave =
        addCheck(dialog, *layout, "Remove track from list after saving", kOptionsRemoveAfterSave);
    d.clearOnExit = addCheck(dialog, *layout, "Ask to clear list on exit", kOptionsClearOnExit);
    d.nameFromPlayers = addCheck(dialog, *layout, kPlayerNamingOptionLabel, kOptionsNameFromPlayers);

    auto* shortRow = new QHBoxLayout();
    auto* shortLabel = new QLabel("Maximum short file duration (seconds):", &dialog);
    d.shortDuration = new QLineEdit(&dialog);
    d.shortDuration->setObjectName(kOptionsShortDuration);
    d.shortDuration->setMaxLength(511);
    d.shortDuration->setFixedWidth(80);
    shortLabel->setBuddy(d.shortDuration);
    shortRow->addWidget(shortLabel);
    shortRow->addWidget(d.shortDuration);
    shortRow->addStretch(1);
    layout->addLayout(shortRow);

    auto* channels = new QButtonGroup(&dialog);
    auto* channelRow = new QHBoxLayout();
    channelRow->addWidget(new QLabel("Channels:", &dialog));
    d.mono = addRadio(dialog, *channels, *channelRow, "Mono", kOptionsMono);
    d.stereo = addRadio(dialog, *channels, *channelRow, "Stereo", kOptionsStereo);
    channelRow->addStretch(1);
    layout->addLayout(channelRow);

    layout->addWidget(new QLabel("Encoding Quality:", &dialog));
    auto* rates = new QButtonGroup(&dialog);
    auto* rateGrid = new QGridLayout();
    for (size_t i = 0; i < kBitRates.size(); ++i) {
        auto* radio = new QRadioButton(kBitRates[i].label, &dialog);
        radio->setObjectName(kBitRates[i].id);
        rates->addButton(radio);
        rateGrid->addWidget(radio, static_cast<int>(i / 3), static_cast<int>(i % 3));
        d.kbps[i] = radio;
    }
    layout->addLayout(rateGrid);

    d.ok = recorderDialogFormButtons(dialog, *layout, kOptionsOk, kOptionsCancel).ok;
    // Asking to clear the list only makes sense when saved tracks leave it.
    QObject::connect(d.removeAfterSave, &QCheckBox::toggled, d.clearOnExit, &QWidget::setEnabled);
}

int load(OptionsDialog& d) {
    bool alwaysOnTop = false, removeAfterSave = true, clearOnExit = true, nameFromPlayers = true;
    int seconds = 30, channels = 2, kbps = kSndMp3DefaultBitRate;
    REPORT_CHECK(recorderSessionGetAlwaysOnTop(alwaysOnTop));
    REPORT_CHECK(recorderSessionGetMaxShortFileDuration(seconds));
    REPORT_CHECK(recorderSessionGetNumChannels(channels));
    REPORT_CHECK(recorderSessionGetNumKbps(kbps));
    REPORT_CHECK(recorderSessionGetRemoveAfterSave(removeAfterSave));
    REPORT_CHECK(recorderSessionGetClearOnExit(clearOnExit));
    REPORT_CHECK(recorderSessionGetNameFromPlayers(nameFromPlayers));
    d.alwaysOnTop->setChecked(alwaysOnTop);
    d.shortDuration->setText(QString::number(seconds));
    (channels == 1 ? d.mono : d.stereo)->setChecked(true);
    size_t chosen = bitRateChoice(kbps);
    if (chosen == kBitRates.size()) chosen = bitRateChoice(kSndMp3DefaultBitRate);  // a value not offered
    d.kbps[chosen]->setChecked(true);
    d.removeAfterSave->setChecked(removeAfterSave);
    d.clearOnExit->setChecked(clearOnExit);
    d.clearOnExit->setEnabled(removeAfterSave);
    d.nameFromPlayers->setChecked(nameFromPlayers);
    return OKAY;
}

// Topmost or not at once, keeping the window where it is.
void applyAlwaysOnTop(RecorderApp& app, bool on) {
    RecorderMainWindow* w = app.window.mainWindow;
    if (!w) return;
    const QPoint at = w->pos();
    const bool shown = w->isVisible();
    w->setWindowFlag(Qt::WindowStaysOnTopHint, on);  // hides a shown window
    w->move(at);
    if (shown) w->show();
    w->raise();
    w->activateWindow();
}

int onOk(RecorderApp& app, OptionsDialog& d) {
    // 1. Always on top.
    bool alwaysOnTop = false;
    REPORT_CHECK(recorderSessionGetAlwaysOnTop(alwaysOnTop));
    if (d.alwaysOnTop->isChecked() != alwaysOnTop) {
        REPORT_CHECK(recorderSessionSetAlwaysOnTop(d.alwaysOnTop->isChecked()));
        applyAlwaysOnTop(app, d.alwaysOnTop->isChecked());
    }
    // 2. Short-track limit; any other text is ignored.
    int seconds = 0, stored = 30;
    REPORT_CHECK(recorderSessionGetMaxShortFileDuration(stored));
    if (recorderDlgOptionsParseSeconds(d.shortDuration->text().toStdString(), seconds) && seconds != stored) {
        REPORT_CHECK(recorderSessionSetMaxShortFileDuration(seconds));
        if (app.modes.hideShort) REPORT_CHECK(recorderSongListFill(app));
    }
    // 3. and 4. Channels and bit rate.
    bool encoderChanged = false;
    int channels = 2, storedChannels = 2;
    REPORT_CHECK(recorderSessionGetNumChannels(storedChannels));
    channels = d.mono->isChecked() ? 1 : 2;
    if (channels != storedChannels) {
        REPORT_CHECK(recorderSessionSetNumChannels(channels));
        encoderChanged = true;
    }
    int kbps = kSndMp3DefaultBitRate, storedKbps = kSndMp3DefaultBitRate;
    REPORT_CHECK(recorderSessionGetNumKbps(storedKbps));
    for (size_t i = 0; i < kBitRates.size(); ++i)
        if (d.kbps[i]->isChecked()) kbps = kBitRates[i].kbps;
    if (kbps != storedKbps) {
        REPORT_CHECK(recorderSessionSetNumKbps(kbps));
        encoderChanged = true;
    }
    // 5. The pre-encoded files were made with the old settings.
    if (encoderChanged) {
        if (!app.owned.engine) return REPORT_ERR();
        REPORT_CHECK(sndDevicesSetMp3Settings(*app.owned.engine, kbps, channels == 1 ? 1 : 0, 1));
    }
    // 6. and 7.
    REPORT_CHECK(recorderSessionSetRemoveAfterSave(d.removeAfterSave->isChecked()));
    REPORT_CHECK(recorderSessionSetClearOnExit(d.clearOnExit->isChecked()));
    // 8. Naming from the media players: switched on or off, the players'
    // song is taken again as it is now.
    bool nameFromPlayers = true;
    REPORT_CHECK(recorderSessionGetNameFromPlayers(nameFromPlayers));
    if (d.nameFromPlayers->isChecked() != nameFromPlayers) {
        REPORT_CHECK(recorderSessionSetNameFromPlayers(d.nameFromPlayers->isChecked()));
        REPORT_CHECK(recorderPlayerNamingRetake(app));
    }
    d.dialog->accept();
    return OKAY;
}

}  // namespace

bool recorderDlgOptionsParseSeconds(const std::string& text, int& seconds) {
    const size_t digits = !text.empty() && text[0] == '-' ? 1 : 0;
    if (text.size() == digits) return false;
    for (size_t i = digits; i < text.size(); ++i)
        if (text[i] < '0' || text[i] > '9') return false;
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return false;
    seconds = value;
    return true;
}

int recorderDlgOptions(RecorderApp& app) {
    if (!app.window.mainWindow) return REPORT_ERR();
    QDialog dialog(app.window.mainWindow);
    OptionsDialog d;
    d.dialog = &dialog;
    build(d);
    REPORT_CHECK(load(d));
    REPORT_CHECK(recorderDialogLook(app, dialog));
    QObject::connect(d.ok, &QPushButton::clicked, &dialog, [&app, &d] {
        if (onOk(app, d) != OKAY) REPORT_ERR();
    });
    dialog.exec();
    return OKAY;
}
