// The session bus's media players over Qt D-Bus. See dbusMediaPlayers.h.
//
// The layer keeps one private connection to the bus for as long as it
// follows, so that following again (in tests: on another bus) starts on a
// fresh connection. Each player is kept under its well-known name with the
// unique name that owns it: PropertiesChanged comes from the owner, and one
// subscription for every sender covers all players.
#include "dbusMediaPlayers.h"

#include <sys/stat.h>

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QObject>
#include <cstdlib>
#include <functional>
#include <map>

namespace {

const QString kPlayerPrefix = QStringLiteral("org.mpris.MediaPlayer2.");
const QString kObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString kPlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kPlaybackStatus = QStringLiteral("PlaybackStatus");
const QString kMetadata = QStringLiteral("Metadata");

// A D-Bus address value: bytes outside the optionally-escaped set as %XX.
std::string escapeAddressValue(const std::string& value) {
    static const char* hex = "0123456789abcdef";
    std::string out;
    for (unsigned char c : value) {
        const bool plain = (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                           c == '-' || c == '_' || c == '/' || c == '.' || c == '\\' || c == '*';
        if (plain) {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += hex[c >> 4];
            out += hex[c & 15];
        }
    }
    return out;
}

bool isArgument(const QVariant& v) { return v.metaType() == QMetaType::fromType<QDBusArgument>(); }

// A text, or a track id given as an object path.
std::string text(const QVariant& v) {
    if (v.metaType() == QMetaType::fromType<QString>()) return v.toString().toStdString();
    if (v.metaType() == QMetaType::fromType<QDBusObjectPath>())
        return v.value<QDBusObjectPath>().path().toStdString();
    return {};
}

// The first text of a list of texts (as, or av holding texts), or a lone text.
std::string firstText(const QVariant& v) {
    if (v.metaType() == QMetaType::fromType<QStringList>()) {
        const QStringList list = v.toStringList();
        return list.isEmpty() ? std::string() : list.front().toStdString();
    }
    if (v.metaType() == QMetaType::fromType<QVariantList>()) {
        const QVariantList list = v.toList();
        return list.isEmpty() ? std::string() : text(list.front());
    }
    if (isArgument(v)) {
        const QDBusArgument arg = v.value<QDBusArgument>();
        if (arg.currentSignature() == QLatin1String("as"))
            return firstText(QVariant(qdbus_cast<QStringList>(arg)));
        if (arg.currentSignature() == QLatin1String("av"))
            return firstText(QVariant(qdbus_cast<QVariantList>(arg)));
        return {};
    }
    return text(v);
}

int64_t length(const QVariant& v) {
    switch (v.metaType().id()) {
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::UChar: {
            const qlonglong n = v.toLongLong();
            return n > 0 ? n : 0;
        }
        case QMetaType::ULongLong: {
            const qulonglong n = v.toULongLong();
            return n > static_cast<qulonglong>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(n);
        }
        case QMetaType::Double: {
            const double d = v.toDouble();
            if (!(d > 0)) return 0;  // NaN too
            return d >= 9.2e18 ? INT64_MAX : static_cast<int64_t>(d);
        }
        default:
            return 0;
    }
}

// An a{sv} as a map; anything else as an empty one.
QVariantMap map(const QVariant& v) {
    if (v.metaType() == QMetaType::fromType<QVariantMap>()) return v.toMap();
    if (isArgument(v)) {
        const QDBusArgument arg = v.value<QDBusArgument>();
        if (arg.currentSignature() == QLatin1String("a{sv}")) return qdbus_cast<QVariantMap>(arg);
    }
    return {};
}

MediaPlayerStatus status(const QVariant& v) {
    const QString s = v.metaType() == QMetaType::fromType<QString>() ? v.toString() : QString();
    if (s == QLatin1String("Playing")) return MediaPlayerStatus::Playing;
    if (s == QLatin1String("Paused")) return MediaPlayerStatus::Paused;
    return MediaPlayerStatus::Stopped;
}

class DbusMediaPlayers : public QObject, public MediaPlayers {
    Q_OBJECT

  public:
    ~DbusMediaPlayers() override { stop(); }

    bool follow(Listener listener) override {
        stop();
        const std::string address = dbusMediaPlayersSessionAddress();
        if (address.empty()) return false;
        static int connections = 0;
        connectionName_ = QStringLiteral("tobrel-media-players-%1").arg(++connections);
        QDBusConnection bus = QDBusConnection::connectToBus(QString::fromStdString(address), connectionName_);
        if (!bus.isConnected()) {
            QDBusConnection::disconnectFromBus(connectionName_);
            connectionName_.clear();
            return false;
        }
        listener_ = std::move(listener);
        calls_ = std::make_unique<QObject>();
        // Every sender: a player's changes come from the unique name that owns it.
        bus.connect(QString(), kObjectPath, kPropertiesInterface, QStringLiteral("PropertiesChanged"), this,
                    SLOT(propertiesChanged(QString, QVariantMap, QStringList, QDBusMessage)));
        watcher_ = std::make_unique<QDBusServiceWatcher>(QStringLiteral("org.mpris.MediaPlayer2*"), bus,
                                                         QDBusServiceWatcher::WatchForOwnerChange);
        QObject::connect(watcher_.get(), &QDBusServiceWatcher::serviceOwnerChanged, this,
                         &DbusMediaPlayers::ownerChanged);
        // The players already there.
        ask(QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ListNames")),
            [this](const QDBusMessage& reply) {
                if (reply.arguments().isEmpty()) return;
                for (const QString& name : reply.arguments().front().toStringList())
                    if (name.startsWith(kPlayerPrefix)) readAll(name);
            });
        return true;
    }

    void stop() override {
        listener_ = nullptr;
        calls_.reset();  // pending calls are dropped with their watchers
        watcher_.reset();
        players_.clear();
        if (connectionName_.isEmpty()) return;
        QDBusConnection bus(connectionName_);
        bus.disconnect(QString(), kObjectPath, kPropertiesInterface, QStringLiteral("PropertiesChanged"),
                       this, SLOT(propertiesChanged(QString, QVariantMap, QStringList, QDBusMessage)));
        QDBusConnection::disconnectFromBus(connectionName_);
        connectionName_.clear();
    }

  private Q_SLOTS:
    void propertiesChanged(const QString& interface, const QVariantMap& changed,
                           const QStringList& invalidated, const QDBusMessage& message) {
        if (interface != kPlayerInterface) return;
        const QString sender = message.service();
        for (auto& [name, player] : players_) {
            if (player.owner != sender) continue;
            dbusMediaPlayersReadProperties(changed, player.report);
            // Some players only say that a property changed: it is read.
            for (const QString& property : invalidated)
                if (property == kPlaybackStatus || property == kMetadata) readOne(name, property);
            tell(player.report);
        }
    }

  private:
    struct Player {
        QString owner;  // the unique name that owns the player's name
        MediaPlayerReport report;
    };

    void ownerChanged(const QString& name, const QString& /*oldOwner*/, const QString& newOwner) {
        if (!name.startsWith(kPlayerPrefix)) return;
        if (newOwner.isEmpty()) {
            if (players_.erase(name) == 0) return;
            MediaPlayerReport gone;
            gone.player = name.toStdString();
            gone.present = false;
            tell(gone);
            return;
        }
        players_[name].owner = newOwner;
        readAll(name);
    }

    // GetAll of the player interface; the reply comes from the name's owner.
    void readAll(const QString& name) {
        QDBusMessage call = QDBusMessage::createMethodCall(name, kObjectPath, kPropertiesInterface, "GetAll");
        call << kPlayerInterface;
        ask(call, [this, name](const QDBusMessage& reply) {
            if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty()) return;
            Player& player = players_[name];
            player.owner = reply.service();
            player.report.player = name.toStdString();
            dbusMediaPlayersReadProperties(map(reply.arguments().front()), player.report);
            tell(player.report);
        });
    }

    void readOne(const QString& name, const QString& property) {
        QDBusMessage call = QDBusMessage::createMethodCall(name, kObjectPath, kPropertiesInterface, "Get");
        call << kPlayerInterface << property;
        ask(call, [this, name, property](const QDBusMessage& reply) {
            auto it = players_.find(name);
            if (it == players_.end() || reply.type() != QDBusMessage::ReplyMessage ||
                reply.arguments().isEmpty())
                return;
            QVariant value = reply.arguments().front();
            if (value.metaType() == QMetaType::fromType<QDBusVariant>())
                value = value.value<QDBusVariant>().variant();
            dbusMediaPlayersReadProperties({{property, value}}, it->second.report);
            tell(it->second.report);
        });
    }

    // An asynchronous call whose reply (or error) goes to `done` on this thread.
    void ask(const QDBusMessage& call, std::function<void(const QDBusMessage&)> done) {
        QDBusConnection bus(connectionName_);
        auto* watcher = new QDBusPendingCallWatcher(bus.asyncCall(call), calls_.get());
        QObject::connect(watcher, &QDBusPendingCallWatcher::finished, calls_.get(),
                         [watcher, done = std::move(done)] {
                             watcher->deleteLater();
                             done(watcher->reply());
                         });
    }

    void tell(const MediaPlayerReport& report) {
        if (report.player.empty()) return;
        // A copy: the listener may stop the following while it runs.
        const Listener listener = listener_;
        if (listener) listener(report);
    }

    Listener listener_;
    QString connectionName_;
    std::unique_ptr<QObject> calls_;  // parent of the pending calls' watchers
    std::unique_ptr<QDBusServiceWatcher> watcher_;
    std::map<QString, Player> players_;
};

}  // namespace

std::string dbusMediaPlayersSessionAddress() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address) return address;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) return {};
    const std::string socket = std::string(runtime) + "/bus";
    struct stat st {};
    if (::stat(socket.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) return {};
    return "unix:path=" + escapeAddressValue(socket);
}

std::unique_ptr<MediaPlayers> dbusMediaPlayersCreate() { return std::make_unique<DbusMediaPlayers>(); }

MediaPlayerMetadata dbusMediaPlayersReadMetadata(const QVariant& value) {
    const QVariantMap m = map(value);
    MediaPlayerMetadata out;
    out.title = text(m.value(QStringLiteral("xesam:title")));
    out.artist = firstText(m.value(QStringLiteral("xesam:artist")));
    out.album = text(m.value(QStringLiteral("xesam:album")));
    out.trackId = text(m.value(QStringLiteral("mpris:trackid")));
    out.lengthUs = length(m.value(QStringLiteral("mpris:length")));
    return out;
}

void dbusMediaPlayersReadProperties(const QVariantMap& properties, MediaPlayerReport& report) {
    auto it = properties.find(kPlaybackStatus);
    if (it != properties.end()) report.status = status(*it);
    it = properties.find(kMetadata);
    if (it != properties.end()) report.metadata = dbusMediaPlayersReadMetadata(*it);
}

#include "dbusMediaPlayers.moc"
