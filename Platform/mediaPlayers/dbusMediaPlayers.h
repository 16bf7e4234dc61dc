// The media players of the session bus, followed through Qt D-Bus: the names
// under org.mpris.MediaPlayer2. (NameOwnerChanged tells of players arriving
// and leaving) and each player's PlaybackStatus and Metadata (read once with
// GetAll, then kept by PropertiesChanged). Nothing is polled.
//
// Only the recorder's executable and the tests of this layer link it, so that
// Qt D-Bus stays out of everything else.
#pragma once

#include <QVariant>
#include <QVariantMap>
#include <memory>
#include <string>

#include "mediaPlayers.h"

// The session bus of this desktop: the address DBUS_SESSION_BUS_ADDRESS
// gives, or else $XDG_RUNTIME_DIR/bus when that socket exists; "" when there
// is neither. Nothing is started to make a bus where there is none.
std::string dbusMediaPlayersSessionAddress();

// Follows the players of the session bus on the thread that calls follow().
std::unique_ptr<MediaPlayers> dbusMediaPlayersCreate();

// A player's Metadata value (a{sv}) as the recorder uses it. Any player may
// put anything there: values of unexpected types read as absent, an artist
// may be one text instead of a list, a track id a text instead of a path, a
// length any number (negative reads as unknown).
MediaPlayerMetadata dbusMediaPlayersReadMetadata(const QVariant& value);

// Takes PlaybackStatus and Metadata from a set of the player interface's
// properties into `report`, when present; other properties are left alone.
// An unknown status reads as Stopped.
void dbusMediaPlayersReadProperties(const QVariantMap& properties, MediaPlayerReport& report);
