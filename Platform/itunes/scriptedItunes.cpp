// The scripted iTunes: the automation objects over an in-memory library.
// Every member first asks the script whether to refuse (ScriptedItunes::enter),
// then works on the library; objects find their track by id, so a track
// deleted from the library makes its objects fail like iTunes' do.
#include "scriptedItunes.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

namespace fs = std::filesystem;

template <class Self>
ItHresult offerSelf(Self* self, std::shared_ptr<ItUnknown>& out) {
    out = self->shared_from_this();
    return kItSOk;
}

ItHresult noInterface(std::shared_ptr<ItUnknown>& out) {
    out.reset();
    return kItENoInterface;
}

bool copyFile(const std::string& from, const std::string& to) {
    std::error_code error;
    if (from.empty() || !fs::exists(from, error)) {
        std::ofstream created(to, std::ios::binary);
        return static_cast<bool>(created);
    }
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
}

}  // namespace

// --- connection points

struct ScriptedItunes::Sinks : ItConnectionPoint, std::enable_shared_from_this<ScriptedItunes::Sinks> {
    Sinks(ScriptedItunes* owner, std::string name) : owner(owner), name(std::move(name)) {}
    ItHresult QueryInterface(ItGuid iid, std::shared_ptr<ItUnknown>& out) override {
        if (iid == kItIidIUnknown) return offerSelf(this, out);
        return noInterface(out);
    }
    ItHresult Advise(std::shared_ptr<ItDispatch> sink, uint32_t& cookie) override {
        if (ItHresult r = owner->enter(name + ".Advise")) return r;
        if (!sink) return kItEPointer;
        cookie = nextCookie++;
        sinks[cookie] = std::move(sink);
        return kItSOk;
    }
    ItHresult Unadvise(uint32_t cookie) override {
        if (ItHresult r = owner->enter(name + ".Unadvise")) return r;
        return sinks.erase(cookie) == 1 ? kItSOk : kItEInvalidArg;
    }
    void fire(int32_t dispId) {
        // A sink may unadvise itself while it is called.
        const auto current = sinks;
        for (const auto& [cookie, sink] : current) sink->Invoke(dispId);
    }
    ScriptedItunes* owner;
    std::string name;
    uint32_t nextCookie = 1;
    std::map<uint32_t, std::shared_ptr<ItDispatch>> sinks;
};

namespace {

class ConnectionPoints : public ItConnectionPointContainer,
                         public std::enable_shared_from_this<ConnectionPoints> {
  public:
    ConnectionPoints(ScriptedItunes* owner, ItGuid eventsIid, std::shared_ptr<ScriptedItunes::Sinks> sinks)
        : owner_(owner), eventsIid_(eventsIid), sinks_(std::move(sinks)) {}
    ItHresult QueryInterface(ItGuid iid, std::shared_ptr<ItUnknown>& out) override {
        if (iid == kItIidIUnknown || iid == kItIidIConnectionPointContainer) return offerSelf(this, out);
        return noInterface(out);
    }
    ItHresult FindConnectionPoint(ItGuid iid, std::shared_ptr<ItConnectionPoint>& out) override {
        out.reset();
        if (ItHresult r = owner_->enter("IConnectionPointContainer.FindConnectionPoint")) return r;
        if (iid != eventsIid_) return kItENoInterface;
        out = sinks_;
        return kItSOk;
    }

  private:
    ScriptedItunes* owner_;
    ItGuid eventsIid_;
    std::shared_ptr<ScriptedItunes::Sinks> sinks_;
};

// --- artwork

class Artwork : public IITArtwork, public std::enable_shared_from_this<Artwork> {
  public:
    Artwork(ScriptedItunes* owner, ScriptedArtwork art) : owner_(owner), art_(std::move(art)) {}
    ItHresult QueryInterface(ItGuid iid, std::shared_ptr<ItUnknown>& out) override {
        if (iid == kItIidIUnknown) return offerSelf(this, out);
        return noInterface(out);
    }
    ItHresult get_Format(int32_t& format) override {
        if (ItHresult r = owner_->enter("IITArtwork.get_Format")) return r;
        format = art_.format;
        return kItSOk;
    }
    ItHresult SaveArtworkToFile(const std::string& path) override {
        if (ItHresult r = owner_->enter("IITArtwork.SaveArtworkToFile")) return r;
        std::ofstream file(path, std::ios::binary | std::ios::trunc);
        file << art_.bytes;
        return file ? kItSOk : kItEFail;
    }

  private:
    ScriptedItunes* owner_;
    ScriptedArtwork art_;
};

class ArtworkCollection : public IITArtworkCollection,
                          public std::enable_shared_from_this<ArtworkCollection> {
  public:
    ArtworkCollection(ScriptedItunes* owner, std::vector<ScriptedArtwork> items)
        : owner_(owner), items_(std::move(items)) {}
    ItHresult QueryInterface(ItGuid iid, std::shared_ptr<ItUnknown>& out) override {
        if (iid == kItIidIUnknown) return offerSelf(this, out);
        return noInterface(out);
    }
    ItHresult get_Count(int32_t& count) override {
        if (ItHresult r = owner_->enter("IITArtworkCollection.get_Count")) return r;
        count = static_cast<int32_t>(items_.size());
        return kItSOk;
    }
    ItHresult get_Item(int32_t index, std::shared_ptr<IITArtwork>& out) override {
        out.reset();
        if (ItHresult r = owner_->enter("IITArtworkCollection.get_Item")) return r;
        if (index < 1 || index > static_cast<int32_t>(items_.size())) return kItEInvalidArg;
        out = std::make_shared<Artwork>(owner_, items_[static_cast<size_t>(index - 1)]);
        return kItSOk;
    }

  private:
    ScriptedItunes* owner_;
    std::vector<ScriptedArtwork> items_;
};

// --- tracks

#define SCRIPTED_TEXT(iface, prop)                                                                    \
    ItHresult get_##prop(std::string& v) override { return getText(#iface ".get_" #prop, #prop, v); } \
    ItHresult put_##prop(const std::string& v) override { return putText(#iface ".put_" #prop, #prop, v); }
#define SCRIPTED_NUMBER(prop)                                                                        \
    ItHresult get_##prop(int32_t& v) override { return getNumber("IITTrack.get_" #prop, #prop, v); } \
    ItHresult put_##prop(int32_t v) override { return putNumber("IITTrack.put_" #prop, #prop, v); }

class Track : public IITFileOrCDTrack, public std::enable_shared_from_this<Track> {
  public:
    Track(ScriptedItunes* owner, int32_t trackId) : owner_(owner), trackId_(trackId) {}

    ItHresult QueryInterface(ItGuid iid, std::shared_ptr<ItUnknown>& out) override {
        if (iid == kItIidIUnknown || iid == kItIidIDispatch || iid == kItIidIITTrack)
            return offerSelf(this, out);
        if (iid == kItIidIITFileOrCDTrack) {
            const ScriptedTrack* t = owner_->find(trackId_);
            if (t != nullptr && t->fileTrack) return offerSelf(this, out);
        }
        return noInterface(out);
    }
    ItHresult GetITObjectIDs(int32_t& sourceId, int32_t& playlistId, int32_t& trackId,
                             int32_t& databaseId) override {
        ScriptedTrack* t = nullptr;
        if (ItHresult r = start("IITTrack.GetITObjectIDs", t)) return r;
        sourceId = t->sourceId;
        playlistId = t->playlistId;
        trackId = t->trackId;
        databaseId = t->databaseId;
        return kItSOk;
    }
    ItHresult Delete() override {
        ScriptedTrack* t = nullptr;
        if (ItHresult r = start("IITTrack.Delete", t)) return r;
        return owner_->removeTrack(trackId_);
    }
    SCRIPTED_TEXT(IITTrack, Name)
    SCRIPTED_TEXT(IITTrack, Artist)
    SCRIPTED_TEXT(IITTrack, Album)
    SCRIPTED_TEXT(IITTrack, Comment)
    SCRIPTED_TEXT(IITTrack, Composer)
    SCRIPTED_TEXT(IITTrack, Genre)
    SCRIPTED_TEXT(IITTrack, Grouping)
    SCRIPTED_NUMBER(BPM)
    SCRIPTED_NUMBER(DiscCount)
    SCRIPTED_NUMBER(DiscNumber)
    SCRIPTED_NUMBER(Rating)
    SCRIPTED_NUMBER(TrackCount)
    SCRIPTED_NUMBER(TrackNumber)
    SCRIPTED_NUMBER(Year)
    ItHresult get_Compilation(bool& v) override {
        int32_t n = 0;
        const ItHresult r = getNumber("IITTrack.get_Compilation", "Compilation", n);
        v = n != 0;
        return r;
    }
    ItHresult put_Compilation(bool v) override {
        return putNumber("IITTrack.put_Compilation", "Compilation", v ? 1 : 0);
    }
    ItHresult get_BitRate(int32_t& v) override { return getNumber("IITTrack.get_BitRate", "BitRate", v); }
    ItHresult get_Duration(int32_t& v) override { return getNumber("IITTrack.get_Duration", "Duration", v); }
    ItHresult get_SampleRate(int32_t& v) override {
        return getNumber("IITTrack.get_SampleRate", "SampleRate", v);
    }
    ItHresult get_Time(std::string& v) override { return getText("IITTrack.get_Time", "Time", v); }
    ItHresult get_Artwork(std::shared_ptr<IITArtworkCollection>& out) override {
        out.reset();
        ScriptedTrack* t = nullptr;
        if (ItHresult r = start("IITTrack.get_Artwork", t)) return r;
        out = std::make_shared<ArtworkCollection>(owner_, t->artwork);
        return kItSOk;
    }
    ItHresult get_Location(std::string& v) override {
        ScriptedTrack* t = nullptr;
        if (ItHresult r = start("IITFileOrCDTrack.get_Location", t)) return r;
        v = t->location;
        return kItSOk;
    }
    SCRIPTED_TEXT(IITFileOrCDTrack, Category)
    SCRIPTED_TEXT(IITFileOrCDTrack, Description)
    SCRIPTED_TEXT(IITFileOrCDTrack, LongDescription)
    SCRIPTED_TEXT(IITFileOrCDTrack, AlbumArtist)
    SCRIPTED_TEXT(IITFileOrCDTrack, Show)
    SCRIPTED_TEXT(IITFileOrCDTrack, SortAlbum)
    SCRIPTED_TEXT(IITFileOrCDTrack, SortAlbumArtist)
    SCRIPTED_TEXT(IITFileOrCDTrack, SortArtist)
    SCRIPTED_TEXT(IITFileOrCDTrack, SortComposer)
    SCRIPTED_TEXT(IITFileOrCDTrack, SortName)
    SCRIPTED_TEXT(IITFileOrCDTrack, SortShow)
    SCRIPTED_TEXT(IITFileOrCDTrack, Lyrics)

    int32_t trackId() const { return trackId_; }

  private:
    ItHresult start(const std::string& member, ScriptedTrack*& t) {
        if (ItHresult r = owner_->enter(member)) return r;
        t = owner_->find(trackId_);
        return t == nullptr ? kItEFail : kItSOk;  // the track was deleted
    }
    ItHresult getText(const std::string& member, const char* prop, std::string& v) {
        ScriptedTrack* t = nullptr;
        if (ItHresult r = start(member, t)) return r;
        const auto found = t->texts.find(prop);
        v = found == t->texts.end() ? std::string() : found->second;
        return kItSOk;
    }
    ItHresult putText(const std::string& member, const char* prop, const std::string& v) {
        ScriptedTrack* t = nullptr;
        if (ItHresult r = start(member, t)) return r;
        t->texts[prop] = v;
        return kItSOk;
    }
    ItHresult getNumber(const std::string& member, const char* prop, int32_t& v) {
        ScriptedTrack* t = nullptr;
        if (ItHresult r = start(member, t)) return r;
        const auto found = t->numbers.find(prop);
        v = found == t->numbers.end() ? 0 : found->second;
        return kItSOk;
    }
    ItHresult putNumber(const std::string& member, const char* prop, int32_t v) {
        ScriptedTrack* t = nullptr;
        if (ItHresult r = start(member, t)) return r;
        t->numbers[prop] = v;
        return kItSOk;
    }

    ScriptedItunes* owner_;
    int32_t trackId_;
};

#undef SCRIPTED_TEXT
#undef SCRIPTED_NUMBER

class TrackCollection : public IITTrackCollection, public std::enable_shared_from_this<TrackCollection> {
  public:
    TrackCollection(ScriptedItunes* owner, std::vector<int32_t> ids) : owner_(owner), ids_(std::move(ids)) {}
    ItHresult QueryInterface(ItGuid iid, std::shared_ptr<ItUnknown>& out) override {
        if (iid == kItIidIUnknown) return offerSelf(this, out);
        return noInterface(out);
    }
    ItHresult get_Count(int32_t& count) override {
        if (ItHresult r = owner_->enter("IITTrackCollection.get_Count")) return r;
        count = static_cast<int32_t>(ids_.size());
        return kItSOk;
    }
    ItHresult get_Item(int32_t index, std::shared_ptr<IITTrack>& out) override {
        out.reset();
        if (ItHresult r = owner_->enter("IITTrackCollection.get_Item")) return r;
        if (index < 1 || index > static_cast<int32_t>(ids_.size())) return kItEInvalidArg;
        out = std::make_shared<Track>(owner_, ids_[static_cast<size_t>(index - 1)]);
        return kItSOk;
    }

  private:
    ScriptedItunes* owner_;
    std::vector<int32_t> ids_;
};

// --- conversions

class Operation : public IITOperationStatus, public std::enable_shared_from_this<Operation> {
  public:
    Operation(ScriptedItunes* owner, int64_t doneAtMs, bool neverEnds, std::vector<int32_t> ids,
              std::shared_ptr<ScriptedItunes::Sinks> sinks)
        : owner_(owner),
          doneAtMs_(doneAtMs),
          neverEnds_(neverEnds),
          ids_(std::move(ids)),
          sinks_(std::move(sinks)) {}
    ItHresult QueryInterface(ItGuid iid, std::shared_ptr<ItUnknown>& out) override {
        if (iid == kItIidIUnknown) return offerSelf(this, out);
        if (iid == kItIidIConnectionPointContainer) {
            out = std::make_shared<ConnectionPoints>(owner_, kItIidIITConvertOperationStatusEvents, sinks_);
            return kItSOk;
        }
        return noInterface(out);
    }
    ItHresult get_InProgress(bool& inProgress) override {
        if (ItHresult r = owner_->enter("IITOperationStatus.get_InProgress")) return r;
        inProgress = neverEnds_ || owner_->nowMs() < doneAtMs_;
        if (!inProgress && !announced_) {
            announced_ = true;
            sinks_->fire(kItEventConversionStatus);
        }
        return kItSOk;
    }
    ItHresult get_Tracks(std::shared_ptr<IITTrackCollection>& out) override {
        out.reset();
        if (ItHresult r = owner_->enter("IITOperationStatus.get_Tracks")) return r;
        const bool done = !neverEnds_ && owner_->nowMs() >= doneAtMs_;
        out = std::make_shared<TrackCollection>(owner_, done ? ids_ : std::vector<int32_t>{});
        return kItSOk;
    }

  private:
    ScriptedItunes* owner_;
    int64_t doneAtMs_;
    bool neverEnds_;
    bool announced_ = false;
    std::vector<int32_t> ids_;
    std::shared_ptr<ScriptedItunes::Sinks> sinks_;
};

// --- the application

class App : public IiTunes, public std::enable_shared_from_this<App> {
  public:
    App(ScriptedItunes* owner, std::shared_ptr<ScriptedItunes::Sinks> sinks)
        : owner_(owner), sinks_(std::move(sinks)) {}
    ItHresult QueryInterface(ItGuid iid, std::shared_ptr<ItUnknown>& out) override {
        if (ItHresult r = owner_->enter("IiTunes.QueryInterface")) return r;
        if (iid == kItIidIUnknown || iid == kItIidIDispatch || iid == kItIidIiTunes)
            return offerSelf(this, out);
        if (iid == kItIidIConnectionPointContainer) {
            out = std::make_shared<ConnectionPoints>(owner_, kItIidIiTunesEvents, sinks_);
            return kItSOk;
        }
        return noInterface(out);
    }
    ItHresult Quit() override {
        if (ItHresult r = owner_->enter("IiTunes.Quit")) return r;
        if (owner_->closesWhenAsked) owner_->running = false;
        return kItSOk;
    }
    ItHresult GetITObjectByID(int32_t sourceId, int32_t playlistId, int32_t trackId, int32_t databaseId,
                              std::shared_ptr<IITObject>& out) override {
        out.reset();
        if (ItHresult r = owner_->enter("IiTunes.GetITObjectByID")) return r;
        const ScriptedTrack* t = owner_->find(trackId);
        if (t == nullptr || t->sourceId != sourceId || t->playlistId != playlistId ||
            t->databaseId != databaseId)
            return kItSFalse;
        out = std::make_shared<Track>(owner_, trackId);
        return kItSOk;
    }
    ItHresult ConvertFile2(const std::string& path, std::shared_ptr<IITOperationStatus>& out) override {
        out.reset();
        if (ItHresult r = owner_->enter("IiTunes.ConvertFile2")) return r;
        std::error_code error;
        if (!fs::is_regular_file(path, error)) return kItEFail;
        ScriptedTrack details = owner_->importDetails;
        if (details.texts["Name"].empty()) details.texts["Name"] = fs::path(path).stem().string();
        return owner_->convert(details, path, out);
    }
    ItHresult ConvertTrack2(const ItVariant& track, std::shared_ptr<IITOperationStatus>& out) override {
        out.reset();
        if (ItHresult r = owner_->enter("IiTunes.ConvertTrack2")) return r;
        auto source = std::dynamic_pointer_cast<Track>(track.dispatch);
        if (track.vt != kItVtDispatch || !source) return kItEInvalidArg;
        const ScriptedTrack* t = owner_->find(source->trackId());
        if (t == nullptr) return kItEFail;
        const ScriptedTrack details = *t;
        return owner_->convert(details, details.location, out);
    }
    ItHresult CheckVersion(int32_t major, int32_t minor, bool& compatible) override {
        if (ItHresult r = owner_->enter("IiTunes.CheckVersion")) return r;
        compatible = owner_->compatible && major == kItTypeLibraryMajor && minor <= kItTypeLibraryMinor;
        return kItSOk;
    }
    ItHresult get_Version(std::string& version) override {
        if (ItHresult r = owner_->enter("IiTunes.get_Version")) return r;
        version = owner_->version;
        return kItSOk;
    }

  private:
    ScriptedItunes* owner_;
    std::shared_ptr<ScriptedItunes::Sinks> sinks_;
};

}  // namespace

ScriptedItunes::ScriptedItunes() : applicationSinks_(std::make_shared<Sinks>(this, "IConnectionPoint")) {}

ScriptedItunes::~ScriptedItunes() = default;

ItHresult ScriptedItunes::createInstance(ItGuid clsid, ItGuid iid, std::shared_ptr<IiTunes>& out) {
    out.reset();
    calls.push_back("CoCreateInstance");
    if (!installed || clsid != kItClsidITunesApp) return kItClassNotRegistered;
    if (iid != kItIidIiTunes) return kItENoInterface;
    if (!createFailures.empty()) {
        const ItHresult r = createFailures.front();
        createFailures.pop_front();
        return r;
    }
    running = true;
    out = std::make_shared<App>(this, applicationSinks_);
    return kItSOk;
}

void ScriptedItunes::postCloseToMainWindow() {
    calls.push_back("WM_CLOSE");
    if (closesWhenAsked) running = false;
}

void ScriptedItunes::sleepMs(int ms) {
    nowMs_ += ms;
    sleptMs += ms;
}

void ScriptedItunes::failNext(const std::string& member, std::vector<ItHresult> results) {
    auto& queue = failNext_[member];
    queue.insert(queue.end(), results.begin(), results.end());
}

void ScriptedItunes::failAlways(const std::string& member, ItHresult result) { failAlways_[member] = result; }

int ScriptedItunes::count(const std::string& member) const {
    int n = 0;
    for (const std::string& call : calls) n += call == member ? 1 : 0;
    return n;
}

const ScriptedTrack* ScriptedItunes::track(int32_t trackId) const {
    for (const ScriptedTrack& t : library_)
        if (t.trackId == trackId) return &t;
    return nullptr;
}

ScriptedTrack* ScriptedItunes::find(int32_t trackId) {
    for (ScriptedTrack& t : library_)
        if (t.trackId == trackId) return &t;
    return nullptr;
}

int32_t ScriptedItunes::addTrack(ScriptedTrack track) {
    track.trackId = nextId_++;
    track.databaseId = track.trackId + 5000;
    library_.push_back(std::move(track));
    return library_.back().trackId;
}

void ScriptedItunes::fireApplicationEvent(int32_t dispId) { applicationSinks_->fire(dispId); }

int ScriptedItunes::applicationSinks() const { return static_cast<int>(applicationSinks_->sinks.size()); }

int ScriptedItunes::conversionSinks() const {
    int n = 0;
    for (const auto& weak : conversionSinks_)
        if (auto sinks = weak.lock()) n += static_cast<int>(sinks->sinks.size());
    return n;
}

ItHresult ScriptedItunes::enter(const std::string& member) {
    calls.push_back(member);
    ItHresult result = kItSOk;
    const auto always = failAlways_.find(member);
    auto next = failNext_.find(member);
    if (always != failAlways_.end()) {
        result = always->second;
    } else if (next != failNext_.end() && !next->second.empty()) {
        result = next->second.front();
        next->second.pop_front();
    }
    if (onCall) onCall(member);
    return result;
}

ItHresult ScriptedItunes::convert(const ScriptedTrack& details, const std::string& sourceFile,
                                  std::shared_ptr<IITOperationStatus>& out) {
    ScriptedTrack made = details;
    const auto name = made.texts.find("Name");
    const std::string stem = name == made.texts.end() || name->second.empty() ? "Track" : name->second;
    made.location =
        (fs::path(mediaFolder) / (stem + " " + std::to_string(++fileCounter_) + "." + importExtension))
            .string();
    if (!copyFile(sourceFile, made.location)) return kItEFail;
    std::vector<int32_t> ids;
    if (conversionTracks > 0) ids.push_back(addTrack(made));
    for (int extra = 1; extra < conversionTracks; ++extra) ids.push_back(addTrack(made));
    auto sinks = std::make_shared<Sinks>(this, "IConnectionPoint");
    conversionSinks_.push_back(sinks);
    out =
        std::make_shared<Operation>(this, nowMs_ + conversionMs, conversionsNeverEnd, std::move(ids), sinks);
    return kItSOk;
}

ItHresult ScriptedItunes::removeTrack(int32_t trackId) {
    for (auto it = library_.begin(); it != library_.end(); ++it) {
        if (it->trackId == trackId) {
            library_.erase(it);
            return kItSOk;
        }
    }
    return kItEFail;
}
