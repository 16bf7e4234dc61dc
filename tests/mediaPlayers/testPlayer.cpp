// A media player of our own for the tests: it owns org.mpris.MediaPlayer2.<name>
// on the session bus, publishes its PlaybackStatus and Metadata as MPRIS
// players do (PropertiesChanged at every change, Get and GetAll answered by Qt
// D-Bus from the adaptors' properties), and plays its songs, sines of their
// own pitch, back to back with no gap through the sound server PULSE_SERVER
// names. Tests drive it with its MPRIS methods (Play, Pause, PlayPause, Stop,
// Next, Quit) and read its log.
//
// Like a real player it announces a song when it hands the song's first audio
// to the sound server, which plays it a buffer's length later. The log tells
// both moments so that tests can compare the audio with the signal:
//   ready
//   status <PlaybackStatus> <signal ns>
//   song <index> <audible ns> <signal ns>
// (steady-clock nanoseconds, the clock every process of the machine shares).
//
// Usage: tobrel_testplayer --name NAME [--log FILE] [--no-audio]
//            [--latency-ms N] [--odd-types] [--invalidate-metadata] [--play]
//            --song TITLE ARTIST ALBUM HZ MS [--song ...]
// An empty TITLE leaves xesam:title out. --odd-types sends the artist as one
// text, the track id as a text and the length as a double, as some players
// do; --invalidate-metadata names Metadata as invalidated instead of sending it.
#include <pulse/error.h>
#include <pulse/simple.h>

#include <QCoreApplication>
#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct Song {
    QString title, artist, album;
    double hz = 440;
    int ms = 1000;
};

struct Options {
    QString name;
    QString log;
    bool audio = true;
    int latencyMs = 50;
    bool oddTypes = false;
    bool invalidateMetadata = false;
    bool play = false;
    std::vector<Song> songs;
};

constexpr int kRate = 48000;
constexpr int kChunkFrames = 480;  // 10 ms

int64_t nowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

class Log {
  public:
    explicit Log(const QString& path) {
        if (!path.isEmpty()) file_ = std::fopen(path.toLocal8Bit().constData(), "a");
    }
    ~Log() {
        if (file_) std::fclose(file_);
    }
    void line(const QString& text) {
        if (!file_) return;
        std::fprintf(file_, "%s\n", text.toUtf8().constData());
        std::fflush(file_);
    }

  private:
    std::FILE* file_ = nullptr;
};

// Plays the songs through the sound server on a thread of its own; tells the
// player (on the player's thread) when a song's first audio went out.
class Audio {
  public:
    using Started = std::function<void(int index, int64_t audibleNs)>;
    using Ended = std::function<void()>;

    Audio(const Options& options, Started started, Ended ended)
        : options_(options), started_(std::move(started)), ended_(std::move(ended)) {
        thread_ = std::thread([this] { run(); });
    }
    ~Audio() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            quit_ = true;
        }
        changed_.notify_all();
        thread_.join();
    }
    void setPlaying(bool playing) {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            playing_ = playing;
        }
        changed_.notify_all();
    }
    void jump(int index) {
        std::lock_guard<std::mutex> lock(mutex_);
        index_ = index;
        frame_ = 0;
    }

  private:
    void run() {
        pa_sample_spec spec{PA_SAMPLE_FLOAT32LE, kRate, 2};
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<uint32_t>(-1);
        attr.tlength = static_cast<uint32_t>(options_.latencyMs * kRate / 1000 * 8);
        attr.prebuf = static_cast<uint32_t>(-1);
        attr.minreq = static_cast<uint32_t>(-1);
        attr.fragsize = static_cast<uint32_t>(-1);
        int error = 0;
        pa_simple* pa = pa_simple_new(nullptr, "tobrel-testplayer", PA_STREAM_PLAYBACK, nullptr, "songs",
                                      &spec, nullptr, &attr, &error);
        if (!pa) std::fprintf(stderr, "testplayer: no sound server: %s\n", pa_strerror(error));
        std::vector<float> chunk(kChunkFrames * 2);
        double phase = 0;
        for (;;) {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] {
                return quit_ || (playing_ && index_ < static_cast<int>(options_.songs.size()));
            });
            if (quit_) break;
            const int index = index_;
            const Song& song = options_.songs[static_cast<size_t>(index)];
            const int64_t songFrames = static_cast<int64_t>(song.ms) * kRate / 1000;
            const bool first = frame_ == 0;
            const int frames = static_cast<int>(std::min<int64_t>(kChunkFrames, songFrames - frame_));
            lock.unlock();

            for (int i = 0; i < frames; ++i) {
                const float v = static_cast<float>(0.5 * std::sin(phase));
                phase += 2 * M_PI * song.hz / kRate;
                chunk[2 * i] = chunk[2 * i + 1] = v;
            }
            if (pa && pa_simple_write(pa, chunk.data(), static_cast<size_t>(frames) * 8, &error) < 0)
                std::fprintf(stderr, "testplayer: write: %s\n", pa_strerror(error));
            if (first) {
                // The song's first frame is heard once the server has played
                // what is queued before it.
                const pa_usec_t latency = pa ? pa_simple_get_latency(pa, &error) : 0;
                const int64_t audible = nowNs() + static_cast<int64_t>(latency) * 1000 -
                                        static_cast<int64_t>(frames) * 1000000000 / kRate;
                started_(index, audible);
            }

            lock.lock();
            if (index_ != index) continue;  // Next or Stop moved on meanwhile
            frame_ += frames;
            if (frame_ >= songFrames) {
                ++index_;
                frame_ = 0;
                if (index_ >= static_cast<int>(options_.songs.size())) {
                    playing_ = false;
                    lock.unlock();
                    ended_();
                }
            }
        }
        if (pa) {
            pa_simple_drain(pa, &error);
            pa_simple_free(pa);
        }
    }

    const Options& options_;
    Started started_;
    Ended ended_;
    std::mutex mutex_;
    std::condition_variable changed_;
    bool quit_ = false;
    bool playing_ = false;
    int index_ = 0;
    int64_t frame_ = 0;
    std::thread thread_;
};

class Player : public QObject {
    Q_OBJECT

  public:
    explicit Player(const Options& options) : options_(options), log_(options.log) {}

    void startAudio() {
        if (!options_.audio) return;
        audio_ = std::make_unique<Audio>(
            options_,
            [this](int index, int64_t audible) {
                QMetaObject::invokeMethod(
                    this, [this, index, audible] { songStarted(index, audible); }, Qt::QueuedConnection);
            },
            [this] {
                QMetaObject::invokeMethod(
                    this, [this] { ended(); }, Qt::QueuedConnection);
            });
    }
    void stopAudio() { audio_.reset(); }
    Log& log() { return log_; }

    QString playbackStatus() const { return status_; }
    QVariantMap metadata() const {
        QVariantMap m;
        if (options_.songs.empty()) return m;
        const int index = std::min<int>(index_, static_cast<int>(options_.songs.size()) - 1);
        const Song& song = options_.songs[static_cast<size_t>(index)];
        const QString id = QStringLiteral("/org/tobrel/testplayer/track%1").arg(index);
        if (!song.title.isEmpty()) m[QStringLiteral("xesam:title")] = song.title;
        m[QStringLiteral("xesam:album")] = song.album;
        if (options_.oddTypes) {
            m[QStringLiteral("xesam:artist")] = song.artist;
            m[QStringLiteral("mpris:trackid")] = id;
            m[QStringLiteral("mpris:length")] = static_cast<double>(song.ms) * 1000.0;
        } else {
            m[QStringLiteral("xesam:artist")] = QStringList{song.artist};
            m[QStringLiteral("mpris:trackid")] = QVariant::fromValue(QDBusObjectPath(id));
            m[QStringLiteral("mpris:length")] = static_cast<qlonglong>(song.ms) * 1000;
        }
        return m;
    }

    void play() {
        if (status_ == QLatin1String("Playing")) return;
        if (status_ == QLatin1String("Paused")) {  // goes on where it paused
            setStatus(QStringLiteral("Playing"), false);
            if (audio_) audio_->setPlaying(true);
            return;
        }
        if (index_ >= static_cast<int>(options_.songs.size())) index_ = 0;
        if (audio_) audio_->jump(index_);
        published_ = index_;
        setStatus(QStringLiteral("Playing"), true);
        if (audio_) audio_->setPlaying(true);
    }
    void pause() {
        if (status_ != QLatin1String("Playing")) return;
        if (audio_) audio_->setPlaying(false);
        setStatus(QStringLiteral("Paused"), false);
    }
    void stop() {
        if (audio_) audio_->setPlaying(false);
        setStatus(QStringLiteral("Stopped"), false);
    }
    void next() {
        if (index_ + 1 >= static_cast<int>(options_.songs.size())) return;
        ++index_;
        if (audio_) {
            audio_->jump(index_);  // announced when its audio goes out
        } else {
            published_ = index_;
            announce(nowNs());
        }
    }

  private:
    void songStarted(int index, int64_t audible) {
        if (index == published_) {
            // Play announced it already.
            log_.line(QStringLiteral("song %1 %2 %3").arg(index).arg(audible).arg(statusAt_));
            return;
        }
        index_ = published_ = index;
        announce(audible);
    }
    void ended() { setStatus(QStringLiteral("Stopped"), false); }

    void setStatus(const QString& status, bool withMetadata) {
        status_ = status;
        QVariantMap changed{{QStringLiteral("PlaybackStatus"), status_}};
        QStringList invalidated;
        if (withMetadata) addMetadata(changed, invalidated);
        statusAt_ = send(changed, invalidated);
        log_.line(QStringLiteral("status %1 %2").arg(status_).arg(statusAt_));
    }
    // Announces the current song, heard from `audible` on.
    void announce(int64_t audible) {
        QVariantMap changed;
        QStringList invalidated;
        addMetadata(changed, invalidated);
        const int64_t at = send(changed, invalidated);
        log_.line(QStringLiteral("song %1 %2 %3").arg(index_).arg(audible).arg(at));
    }
    void addMetadata(QVariantMap& changed, QStringList& invalidated) const {
        if (options_.invalidateMetadata)
            invalidated << QStringLiteral("Metadata");
        else
            changed[QStringLiteral("Metadata")] = metadata();
    }
    int64_t send(const QVariantMap& changed, const QStringList& invalidated) {
        QDBusMessage signal = QDBusMessage::createSignal(QStringLiteral("/org/mpris/MediaPlayer2"),
                                                         QStringLiteral("org.freedesktop.DBus.Properties"),
                                                         QStringLiteral("PropertiesChanged"));
        signal << QStringLiteral("org.mpris.MediaPlayer2.Player") << changed << invalidated;
        const int64_t at = nowNs();
        QDBusConnection::sessionBus().send(signal);
        return at;
    }

    const Options& options_;
    Log log_;
    std::unique_ptr<Audio> audio_;
    QString status_ = QStringLiteral("Stopped");
    int index_ = 0;         // the current song
    int published_ = -1;    // the song whose metadata went out last
    int64_t statusAt_ = 0;  // when the last status went out
};

class RootAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(QString Identity READ identity)
    Q_PROPERTY(bool CanQuit READ canQuit)

  public:
    explicit RootAdaptor(Player* player) : QDBusAbstractAdaptor(player) {}
    QString identity() const { return QStringLiteral("Tobrel test player"); }
    bool canQuit() const { return true; }

  public Q_SLOTS:
    void Quit() { QTimer::singleShot(0, QCoreApplication::instance(), &QCoreApplication::quit); }
    void Raise() {}
};

class PlayerAdaptor : public QDBusAbstractAdaptor {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ playbackStatus)
    Q_PROPERTY(QVariantMap Metadata READ metadata)
    Q_PROPERTY(bool CanPlay READ yes)
    Q_PROPERTY(bool CanPause READ yes)
    Q_PROPERTY(bool CanGoNext READ yes)
    Q_PROPERTY(bool CanControl READ yes)

  public:
    explicit PlayerAdaptor(Player* player) : QDBusAbstractAdaptor(player), player_(player) {}
    QString playbackStatus() const { return player_->playbackStatus(); }
    QVariantMap metadata() const { return player_->metadata(); }
    bool yes() const { return true; }

  public Q_SLOTS:
    void Play() { player_->play(); }
    void Pause() { player_->pause(); }
    void PlayPause() {
        if (player_->playbackStatus() == QLatin1String("Playing"))
            player_->pause();
        else
            player_->play();
    }
    void Stop() { player_->stop(); }
    void Next() { player_->next(); }

  private:
    Player* player_;
};

bool parse(const QStringList& args, Options& options) {
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        auto need = [&](int n) { return i + n < args.size(); };
        if (a == QLatin1String("--name") && need(1)) {
            options.name = args[++i];
        } else if (a == QLatin1String("--log") && need(1)) {
            options.log = args[++i];
        } else if (a == QLatin1String("--no-audio")) {
            options.audio = false;
        } else if (a == QLatin1String("--latency-ms") && need(1)) {
            options.latencyMs = args[++i].toInt();
        } else if (a == QLatin1String("--odd-types")) {
            options.oddTypes = true;
        } else if (a == QLatin1String("--invalidate-metadata")) {
            options.invalidateMetadata = true;
        } else if (a == QLatin1String("--play")) {
            options.play = true;
        } else if (a == QLatin1String("--song") && need(5)) {
            Song s{args[i + 1], args[i + 2], args[i + 3], args[i + 4].toDouble(), args[i + 5].toInt()};
            options.songs.push_back(s);
            i += 5;
        } else {
            std::fprintf(stderr, "testplayer: unknown or incomplete argument %s\n",
                         a.toLocal8Bit().constData());
            return false;
        }
    }
    return !options.name.isEmpty() && options.latencyMs > 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    Options options;
    if (!parse(QCoreApplication::arguments(), options)) return 2;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "testplayer: no session bus\n");
        return 3;
    }
    Player player(options);
    new RootAdaptor(&player);
    new PlayerAdaptor(&player);
    if (!bus.registerObject(QStringLiteral("/org/mpris/MediaPlayer2"), &player) ||
        !bus.registerService(QStringLiteral("org.mpris.MediaPlayer2.") + options.name)) {
        std::fprintf(stderr, "testplayer: cannot own the name\n");
        return 4;
    }
    player.startAudio();
    player.log().line(QStringLiteral("ready"));
    if (options.play) player.play();
    const int code = QCoreApplication::exec();
    player.stopAudio();
    return code;
}

#include "testPlayer.moc"
