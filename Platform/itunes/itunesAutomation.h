// iTunes' automation interface as the iTunes export uses it, and the platform
// that reaches it.
//
// The interfaces below mirror the automation objects of iTunes one virtual
// member per method or property the export calls, named as iTunes names them
// (IiTunes, IITTrack, IITFileOrCDTrack, IITOperationStatus, ...), so that the
// export reads as a plain sequence of automation calls. ItunesAutomation is the
// platform behind them: it creates the application object, tells whether
// iTunes' main window exists, asks that window to close, and keeps the time
// every wait of the export is measured on (so tests can run the waits of
// minutes on a virtual clock).
//
// iTunes' automation server exists only where iTunes runs. On Linux
// ItunesUnavailable answers every attempt to start it with "class not
// registered" at once; tests drive the export with ScriptedItunes.
//
// Conventions of the model: results are COM-style codes (ItHresult, 0 is
// success); an interface pointer is a shared_ptr and a reference is released by
// dropping it; texts are UTF-8 (a null text arrives as an empty one);
// QueryInterface hands out an object offering the interface asked for (the
// same object or a companion), which the caller casts to that interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

using ItHresult = int32_t;

constexpr ItHresult kItSOk = 0;
constexpr ItHresult kItSFalse = 1;  // GetITObjectByID: no such object
constexpr ItHresult kItENotImpl = static_cast<ItHresult>(0x80004001u);
constexpr ItHresult kItENoInterface = static_cast<ItHresult>(0x80004002u);
constexpr ItHresult kItEPointer = static_cast<ItHresult>(0x80004003u);
constexpr ItHresult kItEFail = static_cast<ItHresult>(0x80004005u);
constexpr ItHresult kItEInvalidArg = static_cast<ItHresult>(0x80070057u);
// The automation server is not installed (REGDB_E_CLASSNOTREG).
constexpr ItHresult kItClassNotRegistered = static_cast<ItHresult>(0x80040154u);
// Refusals of a busy iTunes, which callers retry: the server asks to be
// called again later, an object is locked, a conversion is already running.
constexpr ItHresult kItServerBusy = static_cast<ItHresult>(0x8001010Au);
constexpr ItHresult kItObjectLocked = static_cast<ItHresult>(0xA0040203u);
constexpr ItHresult kItConversionInProgress = static_cast<ItHresult>(0xA0040204u);

// Interface and class identifiers, in their registry spelling.
using ItGuid = std::string_view;
inline constexpr ItGuid kItIidIUnknown = "{00000000-0000-0000-C000-000000000046}";
inline constexpr ItGuid kItIidIDispatch = "{00020400-0000-0000-C000-000000000046}";
inline constexpr ItGuid kItIidIConnectionPointContainer = "{B196B284-BAB4-101A-B69C-00AA00341D07}";
inline constexpr ItGuid kItClsidITunesApp = "{DC0C2640-1415-4644-875C-6F4D769839BA}";
inline constexpr ItGuid kItIidIiTunes = "{9DD6680B-3EDC-40DB-A771-E6FE4832E34A}";
inline constexpr ItGuid kItIidIITTrack = "{4CB0915D-1E54-4727-BAF3-CE6CC9A225A1}";
inline constexpr ItGuid kItIidIITFileOrCDTrack = "{00D7FE99-7868-4CC7-AD9E-ACFD70D09566}";
inline constexpr ItGuid kItIidIiTunesEvents = "{5846EB78-317E-4B6F-B0C3-11EE8C8FEEF2}";
inline constexpr ItGuid kItIidIITConvertOperationStatusEvents = "{5C47A705-8E8A-45A1-9EED-71C993F0BF60}";
// The type library version the export is written against.
constexpr int32_t kItTypeLibraryMajor = 1;
constexpr int32_t kItTypeLibraryMinor = 5;

// Dispatch ids of the events the export listens to.
constexpr int32_t kItEventPlayerPlay = 2;         // iTunes starts to play
constexpr int32_t kItEventAboutToPromptQuit = 9;  // iTunes is about to ask the user to quit
constexpr int32_t kItEventConversionStatus = 1;   // a conversion's status changed

// Artwork formats.
constexpr int32_t kItArtworkJpeg = 1;
constexpr int32_t kItArtworkPng = 2;
constexpr int32_t kItArtworkBmp = 3;

class ItUnknown {
  public:
    virtual ~ItUnknown() = default;
    // E_NOINTERFACE (out stays null) when no object offers `iid`.
    virtual ItHresult QueryInterface(ItGuid iid, std::shared_ptr<ItUnknown>& out) = 0;
};

// An event sink: the server calls Invoke with the event's dispatch id.
class ItDispatch : public ItUnknown {
  public:
    virtual ItHresult Invoke(int32_t dispId) = 0;
};

class ItConnectionPoint : public ItUnknown {
  public:
    virtual ItHresult Advise(std::shared_ptr<ItDispatch> sink, uint32_t& cookie) = 0;
    virtual ItHresult Unadvise(uint32_t cookie) = 0;
};

class ItConnectionPointContainer : public ItUnknown {
  public:
    virtual ItHresult FindConnectionPoint(ItGuid iid, std::shared_ptr<ItConnectionPoint>& out) = 0;
};

// A value of a dispatch argument; the export passes tracks as VT_DISPATCH.
constexpr uint16_t kItVtEmpty = 0;
constexpr uint16_t kItVtDispatch = 9;
struct ItVariant {
    uint16_t vt = kItVtEmpty;
    std::shared_ptr<ItUnknown> dispatch;
};

class IITObject : public ItUnknown {
  public:
    virtual ItHresult GetITObjectIDs(int32_t& sourceId, int32_t& playlistId, int32_t& trackId,
                                     int32_t& databaseId) = 0;
};

class IITArtwork : public ItUnknown {
  public:
    virtual ItHresult get_Format(int32_t& format) = 0;
    virtual ItHresult SaveArtworkToFile(const std::string& path) = 0;
};

class IITArtworkCollection : public ItUnknown {
  public:
    virtual ItHresult get_Count(int32_t& count) = 0;
    virtual ItHresult get_Item(int32_t index, std::shared_ptr<IITArtwork>& out) = 0;  // 1-based
};

class IITTrack : public IITObject {
  public:
    virtual ItHresult Delete() = 0;
    virtual ItHresult get_Name(std::string& v) = 0;
    virtual ItHresult put_Name(const std::string& v) = 0;
    virtual ItHresult get_Artist(std::string& v) = 0;
    virtual ItHresult put_Artist(const std::string& v) = 0;
    virtual ItHresult get_Album(std::string& v) = 0;
    virtual ItHresult put_Album(const std::string& v) = 0;
    virtual ItHresult get_Comment(std::string& v) = 0;
    virtual ItHresult put_Comment(const std::string& v) = 0;
    virtual ItHresult get_Composer(std::string& v) = 0;
    virtual ItHresult put_Composer(const std::string& v) = 0;
    virtual ItHresult get_Genre(std::string& v) = 0;
    virtual ItHresult put_Genre(const std::string& v) = 0;
    virtual ItHresult get_Grouping(std::string& v) = 0;
    virtual ItHresult put_Grouping(const std::string& v) = 0;
    virtual ItHresult get_BPM(int32_t& v) = 0;
    virtual ItHresult put_BPM(int32_t v) = 0;
    virtual ItHresult get_Compilation(bool& v) = 0;
    virtual ItHresult put_Compilation(bool v) = 0;
    virtual ItHresult get_DiscCount(int32_t& v) = 0;
    virtual ItHresult put_DiscCount(int32_t v) = 0;
    virtual ItHresult get_DiscNumber(int32_t& v) = 0;
    virtual ItHresult put_DiscNumber(int32_t v) = 0;
    virtual ItHresult get_Rating(int32_t& v) = 0;
    virtual ItHresult put_Rating(int32_t v) = 0;
    virtual ItHresult get_TrackCount(int32_t& v) = 0;
    virtual ItHresult put_TrackCount(int32_t v) = 0;
    virtual ItHresult get_TrackNumber(int32_t& v) = 0;
    virtual ItHresult put_TrackNumber(int32_t v) = 0;
    virtual ItHresult get_Year(int32_t& v) = 0;
    virtual ItHresult put_Year(int32_t v) = 0;
    virtual ItHresult get_BitRate(int32_t& v) = 0;
    virtual ItHresult get_Duration(int32_t& seconds) = 0;
    virtual ItHresult get_SampleRate(int32_t& v) = 0;
    virtual ItHresult get_Time(std::string& v) = 0;
    virtual ItHresult get_Artwork(std::shared_ptr<IITArtworkCollection>& out) = 0;
};

class IITFileOrCDTrack : public IITTrack {
  public:
    virtual ItHresult get_Location(std::string& v) = 0;
    virtual ItHresult get_Category(std::string& v) = 0;
    virtual ItHresult put_Category(const std::string& v) = 0;
    virtual ItHresult get_Description(std::string& v) = 0;
    virtual ItHresult put_Description(const std::string& v) = 0;
    virtual ItHresult get_LongDescription(std::string& v) = 0;
    virtual ItHresult put_LongDescription(const std::string& v) = 0;
    virtual ItHresult get_AlbumArtist(std::string& v) = 0;
    virtual ItHresult put_AlbumArtist(const std::string& v) = 0;
    virtual ItHresult get_Show(std::string& v) = 0;
    virtual ItHresult put_Show(const std::string& v) = 0;
    virtual ItHresult get_SortAlbum(std::string& v) = 0;
    virtual ItHresult put_SortAlbum(const std::string& v) = 0;
    virtual ItHresult get_SortAlbumArtist(std::string& v) = 0;
    virtual ItHresult put_SortAlbumArtist(const std::string& v) = 0;
    virtual ItHresult get_SortArtist(std::string& v) = 0;
    virtual ItHresult put_SortArtist(const std::string& v) = 0;
    virtual ItHresult get_SortComposer(std::string& v) = 0;
    virtual ItHresult put_SortComposer(const std::string& v) = 0;
    virtual ItHresult get_SortName(std::string& v) = 0;
    virtual ItHresult put_SortName(const std::string& v) = 0;
    virtual ItHresult get_SortShow(std::string& v) = 0;
    virtual ItHresult put_SortShow(const std::string& v) = 0;
    virtual ItHresult get_Lyrics(std::string& v) = 0;
    virtual ItHresult put_Lyrics(const std::string& v) = 0;
};

class IITTrackCollection : public ItUnknown {
  public:
    virtual ItHresult get_Count(int32_t& count) = 0;
    virtual ItHresult get_Item(int32_t index, std::shared_ptr<IITTrack>& out) = 0;  // 1-based
};

// The status of a conversion (its object also offers the connection point of
// the conversion's status events).
class IITOperationStatus : public ItUnknown {
  public:
    virtual ItHresult get_InProgress(bool& inProgress) = 0;
    virtual ItHresult get_Tracks(std::shared_ptr<IITTrackCollection>& out) = 0;
};

// The application object (it also offers the connection point of its events).
class IiTunes : public ItUnknown {
  public:
    virtual ItHresult Quit() = 0;
    // S_FALSE with a null object when no object has these ids.
    virtual ItHresult GetITObjectByID(int32_t sourceId, int32_t playlistId, int32_t trackId,
                                      int32_t databaseId, std::shared_ptr<IITObject>& out) = 0;
    // Converts a file, or a track, with the user's import settings into a new
    // track of the library; the status tells when it is done.
    virtual ItHresult ConvertFile2(const std::string& path, std::shared_ptr<IITOperationStatus>& out) = 0;
    virtual ItHresult ConvertTrack2(const ItVariant& track, std::shared_ptr<IITOperationStatus>& out) = 0;
    virtual ItHresult CheckVersion(int32_t major, int32_t minor, bool& compatible) = 0;
    virtual ItHresult get_Version(std::string& version) = 0;
};

// The platform: where the application object comes from, iTunes' main window,
// and the clock of every wait.
class ItunesAutomation {
  public:
    virtual ~ItunesAutomation() = default;
    // Creates (or attaches to) the application object `clsid` as a local
    // server, offering `iid`.
    virtual ItHresult createInstance(ItGuid clsid, ItGuid iid, std::shared_ptr<IiTunes>& out) = 0;
    // Whether the server of `clsid` is installed, so that createInstance could
    // start it; asks without starting anything.
    virtual bool serverInstalled(ItGuid clsid) = 0;
    // iTunes runs while its main window exists.
    virtual bool mainWindowExists() = 0;
    // Asks iTunes' main window to close (a posted close request).
    virtual void postCloseToMainWindow() = 0;
    // A monotonic clock in milliseconds, and a pause measured on it.
    virtual int64_t nowMs() = 0;
    virtual void sleepMs(int ms) = 0;
};

// The Linux platform: there is no iTunes to start. No server is installed,
// createInstance answers "class not registered" at once; nothing is running;
// the clock is the real one.
class ItunesUnavailable : public ItunesAutomation {
  public:
    ItHresult createInstance(ItGuid clsid, ItGuid iid, std::shared_ptr<IiTunes>& out) override;
    bool serverInstalled(ItGuid clsid) override;
    bool mainWindowExists() override;
    void postCloseToMainWindow() override;
    int64_t nowMs() override;
    void sleepMs(int ms) override;
};
