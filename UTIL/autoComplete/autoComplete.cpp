// Auto-completion stores: opening, the `strings` table and INSERT OR IGNORE.
// Statements run through the shared sqliteExec layer, like the cache database's.
#include "autoComplete.h"

#include "pstr.h"
#include "report.h"

static constexpr const char* kReportModule = "../../UTIL/autoComplete/autoComplete";

namespace {

const sqliteExecWidths kWidths{kAutoCompleteWidth, {}};

}  // namespace

int autoComplete_sqlite_exec(autoComplete* store, std::string_view statement) {
    if (!store) return REPORT_ERR();
    const sqliteExecCaller caller{"autoComplete_sqlite_exec", store->trace, store->traceSql};
    REPORT_CHECK(sqliteExecRun(store->db.get(), caller, statement, sqliteExecMode::SingleColumn, kWidths,
                               store->results));
    return OKAY;
}

int autoCompleteInit(int number, const void* editControl, const std::string& folder, bool traceSql,
                     CSlout* trace, std::unique_ptr<autoComplete>& out) {
    out.reset();
    auto store = std::make_unique<autoComplete>();
    store->trace = trace;
    store->traceSql = traceSql;
    store->number = number;
    store->editControl = editControl;
    store->folder = folder;
    pstrStripTrailingSlash(store->folder);
    if (store->folder.empty()) return REPORT_ERR();
    store->path = store->folder + "/" + std::to_string(number) + ".db";
    REPORT_CHECK(sqliteExecOpen(store->path, trace, store->db));
    // Run on every open, not only for a new file: the statement changes nothing
    // when the table exists, and a store left empty (a zero-length file) would
    // otherwise refuse every entry for good.
    REPORT_CHECK(autoComplete_sqlite_exec(
        store.get(), "CREATE TABLE IF NOT EXISTS strings (`id` INTEGER PRIMARY KEY,`string` CHAR(" +
                         std::to_string(kAutoCompleteWidth) + ") NOT NULL UNIQUE)"));
    out = std::move(store);
    return OKAY;
}

int autoCompleteAdd(autoComplete* store, std::string_view text) {
    if (!store || pstrUtf16Length(text) > kAutoCompleteWidth) return REPORT_ERR();
    REPORT_CHECK(autoComplete_sqlite_exec(
        store, "INSERT OR IGNORE INTO strings ('id', 'string') VALUES (NULL, '" + pstrQuoteSql(text) + "')"));
    return OKAY;
}

int autoCompleteGetAll(autoComplete* store, std::vector<std::string>& texts) {
    texts.clear();
    if (!store) return REPORT_ERR();
    REPORT_CHECK(
        autoComplete_sqlite_exec(store, "SELECT string FROM strings ORDER BY string COLLATE NOCASE"));
    texts = store->results.single;
    return OKAY;
}

int autoCompleteClose(std::unique_ptr<autoComplete>& store) {
    if (!store) return OKAY;
    const int result = sqliteExecClose(store->db, store->trace);
    store.reset();
    return result;
}
