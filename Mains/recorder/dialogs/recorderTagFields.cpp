// The track detail fields and their auto-completion stores.
//
// A completer offers every stored entry that begins with what was typed,
// without regard to case. Its list is read once when the dialog opens: the
// stores only grow when a dialog's OK is pressed, which closes the dialog.
#include "recorderTagFields.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStringListModel>

#include "CSlout.h"
#include "recorderApp.h"
#include "recorderDialogLook.h"
#include "recorderPaths.h"
#include "report.h"

static constexpr const char* kReportModule = "./recorderTagFields";

namespace {

QLineEdit* addField(QWidget& parent, QGridLayout& grid, int row, const char* label, const char* id,
                    int maxLength, const char* hint) {
    auto* edit = new QLineEdit(&parent);
    edit->setObjectName(id);
    edit->setMaxLength(maxLength);
    edit->setMinimumWidth(260);
    auto* name = new QLabel(label, &parent);
    name->setBuddy(edit);
    grid.addWidget(name, row, 0);
    grid.addWidget(edit, row, 1);
    grid.addWidget(new QLabel(hint, &parent), row, 2);
    return edit;
}

void setIfAny(QLineEdit* edit, const std::string& text) {
    if (!text.empty()) edit->setText(QString::fromStdString(text));
}

int openStore(RecorderApp& app, int number, QLineEdit* edit, const std::string& folder,
              std::unique_ptr<autoComplete>& store) {
    REPORT_CHECK(autoCompleteInit(number, edit, folder, false, app.owned.trace.get(), store));
    std::vector<std::string> texts;
    REPORT_CHECK(autoCompleteGetAll(store.get(), texts));
    QStringList entries;
    entries.reserve(static_cast<qsizetype>(texts.size()));
    for (const std::string& text : texts) entries << QString::fromStdString(text);
    auto* completer = new QCompleter(new QStringListModel(entries, edit), edit);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchStartsWith);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    REPORT_CHECK(recorderDialogLook(app, *completer->popup()));
    edit->setCompleter(completer);
    return OKAY;
}

int addIfAny(autoComplete* store, const std::string& text) {
    if (!text.empty()) REPORT_CHECK(autoCompleteAdd(store, text));
    return OKAY;
}

}  // namespace

RecorderTagFields recorderTagFieldsCreate(QWidget& parent, QGridLayout& grid, int row,
                                          const RecorderTagFieldIds& ids) {
    RecorderTagFields f;
    f.title = addField(parent, grid, row, "&Title:", ids.title, kTagFieldMaxLength, kTagRequired);
    f.artist = addField(parent, grid, row + 1, "&Artist:", ids.artist, kTagFieldMaxLength, kTagOptional);
    f.album = addField(parent, grid, row + 2, "Al&bum:", ids.album, kTagFieldMaxLength, kTagOptional);
    f.genre = addField(parent, grid, row + 3, "&Genre:", ids.genre, kTagFieldMaxLength, kTagOptional);
    f.comment = addField(parent, grid, row + 4, "C&omment:", ids.comment, kTagCommentMaxLength, kTagOptional);
    return f;
}

void recorderTagFieldsFill(const RecorderTagFields& fields, const recCacheTags& tags) {
    setIfAny(fields.title, tags.song);
    setIfAny(fields.artist, tags.artist);
    setIfAny(fields.album, tags.album);
    setIfAny(fields.genre, tags.genre);
    setIfAny(fields.comment, tags.comment);
}

recCacheTags recorderTagFieldsRead(const RecorderTagFields& fields) {
    recCacheTags tags;
    tags.song = fields.title->text().toStdString();
    tags.artist = fields.artist->text().toStdString();
    tags.album = fields.album->text().toStdString();
    tags.genre = fields.genre->text().toStdString();
    tags.comment = fields.comment->text().toStdString();
    return tags;
}

int recorderTagStoresOpen(RecorderApp& app, const RecorderTagFields& fields, RecorderTagStores& stores) {
    std::string folder;
    REPORT_CHECK(recorderPaths(RECORDER_PATH_AUTOCOMPLETE, folder));
    REPORT_CHECK(openStore(app, kAutoCompleteArtist, fields.artist, folder, stores.artist));
    REPORT_CHECK(openStore(app, kAutoCompleteAlbum, fields.album, folder, stores.album));
    REPORT_CHECK(openStore(app, kAutoCompleteGenre, fields.genre, folder, stores.genre));
    return OKAY;
}

int recorderTagStoresAdd(RecorderTagStores& stores, const recCacheTags& tags) {
    REPORT_CHECK(addIfAny(stores.artist.get(), tags.artist));
    REPORT_CHECK(addIfAny(stores.album.get(), tags.album));
    REPORT_CHECK(addIfAny(stores.genre.get(), tags.genre));
    return OKAY;
}

int recorderTagStoresClose(RecorderTagStores& stores) {
    int result = OKAY;
    for (auto* store : {&stores.artist, &stores.album, &stores.genre})
        if (autoCompleteClose(*store) != OKAY) result = REPORT_ERR();
    return result;
}
