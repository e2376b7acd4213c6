#include "library/photo_index.h"

#include <windows.h>

#include <cstring>
#include <map>
#include <string>
#include <unordered_map>

namespace {

// "BrPr": a file of another program that happens to be a database is never
// taken for ours.
constexpr int kApplicationId = 0x42725072;
constexpr int kSchemaVersion = 1;
// Long enough for the other saver's folder transaction, short enough that a
// file locked by something else costs the show little.
constexpr int kBusyTimeoutMs = 1500;

// Photo facts (pixel size, orientation, date taken, times shown) have their
// columns from the start, so adding them later needs no migration.
constexpr const char* kSchema = R"sql(
CREATE TABLE folders(
  id INTEGER PRIMARY KEY,
  path TEXT NOT NULL UNIQUE,
  last_write INTEGER NOT NULL,
  sub_folders TEXT NOT NULL);
CREATE TABLE files(
  id INTEGER PRIMARY KEY,
  folder_id INTEGER NOT NULL REFERENCES folders(id),
  name TEXT NOT NULL,
  seq INTEGER NOT NULL,
  size INTEGER NOT NULL,
  last_write INTEGER NOT NULL,
  failed INTEGER NOT NULL DEFAULT 0,
  walked INTEGER NOT NULL DEFAULT 0,
  shown INTEGER NOT NULL DEFAULT 0,
  width INTEGER,
  height INTEGER,
  orientation INTEGER,
  date_taken INTEGER,
  times_shown INTEGER NOT NULL DEFAULT 0,
  UNIQUE(folder_id, name));
CREATE TABLE deck(
  id INTEGER PRIMARY KEY CHECK (id = 1),
  cards BLOB NOT NULL,
  last_shown INTEGER NOT NULL);
)sql";

// Resets a kept statement when the call using it ends, however it ends.
class Use {
 public:
  explicit Use(sqlite3_stmt* statement) : statement_(statement) {}
  Use(const Use&) = delete;
  Use& operator=(const Use&) = delete;
  ~Use() {
    if (statement_) {
      sqlite3_reset(statement_);
      sqlite3_clear_bindings(statement_);
    }
  }
  explicit operator bool() const { return statement_ != nullptr; }
  sqlite3_stmt* get() const { return statement_; }
  void Text(int at, const std::wstring& text) {
    sqlite3_bind_text16(statement_, at, text.data(), static_cast<int>(text.size() * sizeof(wchar_t)), SQLITE_TRANSIENT);
  }
  void Int(int at, int64_t value) { sqlite3_bind_int64(statement_, at, value); }
  // SQLITE_DONE for a write that worked.
  int Step() { return sqlite3_step(statement_); }

 private:
  sqlite3_stmt* statement_;
};

std::wstring ColumnText(sqlite3_stmt* statement, int at) {
  const auto* text = static_cast<const wchar_t*>(sqlite3_column_text16(statement, at));
  return text ? std::wstring(text, static_cast<size_t>(sqlite3_column_bytes16(statement, at)) / sizeof(wchar_t))
              : std::wstring();
}

int PragmaInt(sqlite3* db, const char* sql) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, sql, -1, &raw, nullptr) != SQLITE_OK) return -1;
  AutoStatement statement(raw);
  return sqlite3_step(raw) == SQLITE_ROW ? sqlite3_column_int(raw, 0) : -1;
}

bool QuickCheckPasses(sqlite3* db) {
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db, "PRAGMA quick_check(1)", -1, &raw, nullptr) != SQLITE_OK) return false;
  AutoStatement statement(raw);
  if (sqlite3_step(raw) != SQLITE_ROW) return false;
  const auto* verdict = reinterpret_cast<const char*>(sqlite3_column_text(raw, 0));
  return verdict && std::string(verdict) == "ok";
}

enum class Verdict { Ours, Empty, Unusable };

// Sound, ours and of this schema; or a new, empty file; or anything else.
Verdict Judge(sqlite3* db, bool checkPages) {
  if (sqlite3_db_readonly(db, "main") != 0) return Verdict::Unusable;
  if (checkPages && !QuickCheckPasses(db)) return Verdict::Unusable;
  const int application = PragmaInt(db, "PRAGMA application_id");
  const int tables = PragmaInt(db, "SELECT count(*) FROM sqlite_schema");
  if (application == 0 && tables == 0) return Verdict::Empty;
  if (application != kApplicationId) return Verdict::Unusable;
  return PragmaInt(db, "PRAGMA user_version") == kSchemaVersion ? Verdict::Ours : Verdict::Unusable;
}

AutoSqlite Connect(const std::wstring& file) {
  sqlite3* raw = nullptr;
  const int opened = sqlite3_open16(file.c_str(), &raw);
  AutoSqlite db(raw);  // a failed open still hands back a connection to close
  if (opened != SQLITE_OK) return {};
  sqlite3_busy_timeout(raw, kBusyTimeoutMs);
  sqlite3_extended_result_codes(raw, 1);
  return db;
}

bool Run(sqlite3* db, const char* sql) { return sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }

bool MakeSchema(sqlite3* db) {
  // WAL first: two savers (the preview and the full screen) read while one writes.
  if (!Run(db, "PRAGMA journal_mode=WAL")) return false;
  if (!Run(db, "BEGIN IMMEDIATE")) return false;
  const std::string pragmas = "PRAGMA application_id=" + std::to_string(kApplicationId) +
                              ";PRAGMA user_version=" + std::to_string(kSchemaVersion);
  if (Run(db, kSchema) && Run(db, pragmas.c_str()) && Run(db, "COMMIT")) return true;
  Run(db, "ROLLBACK");
  return false;
}

// The file and SQLite's companions; false when the file stays (locked, read-only).
bool RemoveIndexFiles(const std::wstring& file) {
  DeleteFileW((file + L"-wal").c_str());
  DeleteFileW((file + L"-shm").c_str());
  DeleteFileW((file + L"-journal").c_str());
  return DeleteFileW(file.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
}

std::wstring JoinNames(const std::wstring& folder, const std::vector<std::wstring>& subFolders) {
  // Names only, one per line: no file name holds a control character.
  std::wstring joined;
  for (const std::wstring& sub : subFolders) {
    if (!joined.empty()) joined += L'\n';
    joined += sub.compare(0, folder.size(), folder) == 0 ? sub.substr(folder.size()) : sub;
  }
  return joined;
}

std::vector<std::wstring> SplitNames(const std::wstring& folder, const std::wstring& joined) {
  std::vector<std::wstring> subFolders;
  size_t from = 0;
  while (from < joined.size()) {
    size_t end = joined.find(L'\n', from);
    if (end == std::wstring::npos) end = joined.size();
    subFolders.push_back(folder + joined.substr(from, end - from));
    from = end + 1;
  }
  return subFolders;
}

}  // namespace

std::wstring DefaultIndexPath() {
  wchar_t base[MAX_PATH];
  const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", base, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  const std::wstring folder = std::wstring(base) + L"\\Brindora Pro";
  if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return {};
  return folder + L"\\library.db";
}

std::unique_ptr<PhotoIndex> PhotoIndex::Open(const std::wstring& file, bool checkPages) {
  if (file.empty()) return nullptr;
  for (int attempt = 0; attempt < 2; ++attempt) {
    AutoSqlite db = Connect(file);
    if (db) {
      switch (Judge(db.get(), checkPages)) {
        case Verdict::Ours:
          if (Run(db.get(), "PRAGMA journal_mode=WAL") && Run(db.get(), "PRAGMA synchronous=NORMAL")) {
            return std::unique_ptr<PhotoIndex>(new PhotoIndex(std::move(db)));
          }
          break;
        case Verdict::Empty:
          if (MakeSchema(db.get()) && Run(db.get(), "PRAGMA synchronous=NORMAL")) {
            return std::unique_ptr<PhotoIndex>(new PhotoIndex(std::move(db)));
          }
          break;
        case Verdict::Unusable:
          break;
      }
    }
    db.reset();
    if (attempt == 0 && !RemoveIndexFiles(file)) return nullptr;
  }
  return nullptr;
}

bool PhotoIndex::PagesSound() { return QuickCheckPasses(db_.get()); }

sqlite3_stmt* PhotoIndex::Statement(AutoStatement& kept, const char* sql) {
  if (!kept) {
    sqlite3_stmt* raw = nullptr;
    if (sqlite3_prepare_v3(db_.get(), sql, -1, SQLITE_PREPARE_PERSISTENT, &raw, nullptr) != SQLITE_OK) return nullptr;
    kept.reset(raw);
  }
  return kept.get();
}

bool PhotoIndex::Execute(const char* sql) { return Run(db_.get(), sql); }

KnownFolders PhotoIndex::Folders() {
  KnownFolders known;
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db_.get(), "SELECT path, last_write, sub_folders FROM folders", -1, &raw, nullptr) !=
      SQLITE_OK) {
    return known;
  }
  AutoStatement statement(raw);
  while (sqlite3_step(raw) == SQLITE_ROW) {
    std::wstring path = ColumnText(raw, 0);
    KnownFolder folder{sqlite3_column_int64(raw, 1), SplitNames(path, ColumnText(raw, 2))};
    known.emplace(std::move(path), std::move(folder));
  }
  return known;
}

std::vector<IndexedFile> PhotoIndex::FilesOf(const std::wstring& folder) {
  std::vector<IndexedFile> files;
  Use use(Statement(filesOf_,
                    "SELECT f.id, f.name, f.size, f.last_write, f.failed FROM files f JOIN folders d "
                    "ON f.folder_id = d.id WHERE d.path = ?1 ORDER BY f.seq"));
  if (!use) return files;
  use.Text(1, folder);
  while (use.Step() == SQLITE_ROW) {
    sqlite3_stmt* row = use.get();
    files.push_back({sqlite3_column_int64(row, 0), ColumnText(row, 1), sqlite3_column_int64(row, 2),
                     sqlite3_column_int64(row, 3), sqlite3_column_int(row, 4) != 0});
  }
  return files;
}

bool PhotoIndex::StoreFolder(const std::wstring& folder, int64_t lastWrite, const std::vector<ListedFile>& files,
                             const std::vector<std::wstring>& subFolders) {
  if (!Execute("BEGIN IMMEDIATE")) return false;
  bool ok = false;
  int64_t folderId = 0;
  {
    Use use(Statement(upsertFolder_,
                      "INSERT INTO folders(path, last_write, sub_folders) VALUES(?1, ?2, ?3) ON CONFLICT(path) "
                      "DO UPDATE SET last_write = excluded.last_write, sub_folders = excluded.sub_folders "
                      "RETURNING id"));
    if (use) {
      use.Text(1, folder);
      use.Int(2, lastWrite);
      use.Text(3, JoinNames(folder, subFolders));
      if (use.Step() == SQLITE_ROW) {
        folderId = sqlite3_column_int64(use.get(), 0);
        ok = use.Step() == SQLITE_DONE;
      }
    }
  }
  if (ok) {
    Use use(Statement(clearWalk_, "UPDATE files SET walked = 0 WHERE folder_id = ?1"));
    ok = use && (use.Int(1, folderId), use.Step() == SQLITE_DONE);
  }
  int64_t seq = 0;
  for (const ListedFile& file : files) {
    if (!ok) break;
    Use use(Statement(upsertFile_,
                      "INSERT INTO files(folder_id, name, seq, size, last_write, walked) VALUES(?1, ?2, ?3, ?4, ?5, 1) "
                      "ON CONFLICT(folder_id, name) DO UPDATE SET seq = excluded.seq, walked = 1, "
                      "failed = failed AND size = excluded.size AND last_write = excluded.last_write, "
                      "size = excluded.size, last_write = excluded.last_write"));
    if (!use) {
      ok = false;
      break;
    }
    use.Int(1, folderId);
    use.Text(2, file.name);
    use.Int(3, seq++);
    use.Int(4, file.size);
    use.Int(5, file.lastWrite);
    ok = use.Step() == SQLITE_DONE;
  }
  if (ok) {
    Use use(Statement(dropUnwalked_, "DELETE FROM files WHERE folder_id = ?1 AND walked = 0"));
    ok = use && (use.Int(1, folderId), use.Step() == SQLITE_DONE);
  }
  if (ok && Execute("COMMIT")) return true;
  Execute("ROLLBACK");
  return false;
}

bool PhotoIndex::ForgetFolders(const std::vector<std::wstring>& folders) {
  if (folders.empty()) return true;
  if (!Execute("BEGIN IMMEDIATE")) return false;
  bool ok = true;
  for (const std::wstring& folder : folders) {
    Use files(Statement(forgetFiles_, "DELETE FROM files WHERE folder_id = (SELECT id FROM folders WHERE path = ?1)"));
    Use row(Statement(forgetFolder_, "DELETE FROM folders WHERE path = ?1"));
    if (!files || !row) {
      ok = false;
      break;
    }
    files.Text(1, folder);
    row.Text(1, folder);
    ok = files.Step() == SQLITE_DONE && row.Step() == SQLITE_DONE;
    if (!ok) break;
  }
  if (ok && Execute("COMMIT")) return true;
  Execute("ROLLBACK");
  return false;
}

bool PhotoIndex::UpdateFile(PhotoId id, int64_t size, int64_t lastWrite) {
  Use use(Statement(updateFile_,
                    "UPDATE files SET size = ?2, last_write = ?3, failed = 0 "
                    "WHERE id = ?1 AND (size <> ?2 OR last_write <> ?3)"));
  if (!use) return false;
  use.Int(1, id);
  use.Int(2, size);
  use.Int(3, lastWrite);
  return use.Step() == SQLITE_DONE;
}

bool PhotoIndex::MarkFailed(PhotoId id) {
  Use use(Statement(markFailed_, "UPDATE files SET failed = 1 WHERE id = ?1"));
  if (!use) return false;
  use.Int(1, id);
  return use.Step() == SQLITE_DONE;
}

bool PhotoIndex::MarkShown(PhotoId id) {
  Use use(Statement(markShown_, "UPDATE files SET shown = 1, times_shown = times_shown + 1 WHERE id = ?1"));
  Use last(Statement(lastShown_, "UPDATE deck SET last_shown = ?1"));
  if (!use || !last) return false;
  use.Int(1, id);
  last.Int(1, id);
  return use.Step() == SQLITE_DONE && last.Step() == SQLITE_DONE;
}

std::vector<std::pair<std::wstring, int>> PhotoIndex::FailedByExtension() {
  std::map<std::wstring, int> counts;
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db_.get(), "SELECT name FROM files WHERE failed = 1", -1, &raw, nullptr) != SQLITE_OK)
    return {};
  AutoStatement names(raw);
  while (sqlite3_step(raw) == SQLITE_ROW) {
    const std::wstring name = ColumnText(raw, 0);
    const size_t dot = name.find_last_of(L'.');
    ++counts[dot == std::wstring::npos ? std::wstring() : name.substr(dot)];
  }
  return {counts.begin(), counts.end()};
}

Deck PhotoIndex::LoadDeck() {
  std::unordered_map<PhotoId, Card> marks;
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db_.get(), "SELECT id, shown, failed FROM files", -1, &raw, nullptr) != SQLITE_OK) return {};
  AutoStatement files(raw);
  while (sqlite3_step(raw) == SQLITE_ROW) {
    const PhotoId id = sqlite3_column_int64(raw, 0);
    marks.emplace(id, Card{id, sqlite3_column_int(raw, 1) != 0, sqlite3_column_int(raw, 2) != 0});
  }
  if (sqlite3_prepare_v2(db_.get(), "SELECT cards, last_shown FROM deck", -1, &raw, nullptr) != SQLITE_OK) return {};
  AutoStatement deck(raw);
  if (sqlite3_step(raw) != SQLITE_ROW) return {};
  const auto* ids = static_cast<const unsigned char*>(sqlite3_column_blob(raw, 0));
  const size_t count = static_cast<size_t>(sqlite3_column_bytes(raw, 0)) / sizeof(PhotoId);
  std::vector<Card> cards;
  cards.reserve(count);
  for (size_t k = 0; k < count; ++k) {
    PhotoId id;
    std::memcpy(&id, ids + k * sizeof(PhotoId), sizeof id);
    auto found = marks.find(id);
    if (found != marks.end()) cards.push_back(found->second);
  }
  return Deck(std::move(cards), sqlite3_column_int64(raw, 1));
}

std::vector<PhotoId> PhotoIndex::DeckOrder(PhotoId& lastShown) {
  std::vector<PhotoId> ids;
  lastShown = 0;
  sqlite3_stmt* raw = nullptr;
  if (sqlite3_prepare_v2(db_.get(), "SELECT cards, last_shown FROM deck", -1, &raw, nullptr) != SQLITE_OK) return ids;
  AutoStatement deck(raw);
  if (sqlite3_step(raw) != SQLITE_ROW) return ids;
  ids.resize(static_cast<size_t>(sqlite3_column_bytes(raw, 0)) / sizeof(PhotoId));
  if (!ids.empty()) std::memcpy(ids.data(), sqlite3_column_blob(raw, 0), ids.size() * sizeof(PhotoId));
  lastShown = sqlite3_column_int64(raw, 1);
  return ids;
}

std::optional<FileById> PhotoIndex::File(PhotoId id) {
  Use use(Statement(fileById_,
                    "SELECT d.path, f.name, f.failed, f.shown FROM files f JOIN folders d ON f.folder_id = d.id "
                    "WHERE f.id = ?1"));
  if (!use) return std::nullopt;
  use.Int(1, id);
  if (use.Step() != SQLITE_ROW) return std::nullopt;
  sqlite3_stmt* row = use.get();
  return FileById{ColumnText(row, 0), ColumnText(row, 1), sqlite3_column_int(row, 2) != 0,
                  sqlite3_column_int(row, 3) != 0};
}

bool PhotoIndex::SaveDeck(const Deck& deck) {
  std::vector<PhotoId> ids;
  ids.reserve(deck.Cards().size());
  for (const Card& card : deck.Cards()) ids.push_back(card.id);
  if (!Execute("BEGIN IMMEDIATE")) return false;
  bool ok = Execute("UPDATE files SET shown = 0 WHERE shown <> 0");
  for (const Card& card : deck.Cards()) {
    if (!ok || !card.shown) continue;
    Use use(Statement(setShown_, "UPDATE files SET shown = 1 WHERE id = ?1"));
    ok = use && (use.Int(1, card.id), use.Step() == SQLITE_DONE);
  }
  if (ok) {
    sqlite3_stmt* raw = nullptr;
    ok = sqlite3_prepare_v2(db_.get(), "INSERT OR REPLACE INTO deck(id, cards, last_shown) VALUES(1, ?1, ?2)", -1, &raw,
                            nullptr) == SQLITE_OK;
    AutoStatement statement(raw);
    if (ok) {
      sqlite3_bind_blob64(raw, 1, ids.data(), ids.size() * sizeof(PhotoId), SQLITE_STATIC);
      sqlite3_bind_int64(raw, 2, deck.LastShown());
      ok = sqlite3_step(raw) == SQLITE_DONE;
    }
  }
  if (ok && Execute("COMMIT")) return true;
  Execute("ROLLBACK");
  return false;
}
