#pragma once
// The per-user photo index: the folders walked, the files found in them, the
// deck of the random order and room for photo facts. One PhotoIndex is one
// connection, used by one thread. Nothing above this file writes SQL.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "library/deck.h"
#include "library/refresh_walk.h"
#include "ownership/sqlite_holders.h"

// A file as a folder listing gives it.
struct ListedFile {
  std::wstring name;
  int64_t size = 0;
  int64_t lastWrite = 0;
};

// A file as the index holds it.
struct IndexedFile {
  PhotoId id = 0;
  std::wstring name;
  int64_t size = 0;
  int64_t lastWrite = 0;
  bool failed = false;
};

// A file looked up by its id: where it is and its marks.
struct FileById {
  std::wstring folder;
  std::wstring name;
  bool failed = false;
  bool shown = false;
};

// %LOCALAPPDATA%\Brindora Pro\library.db, its folder made when missing;
// empty when there is no such folder and none can be made.
std::wstring DefaultIndexPath();

class PhotoIndex {
 public:
  // Opens the index at `file`, made afresh when missing, and when it is not a
  // sound index of this program (corrupt, truncated, foreign, older): it is
  // removed and made again. Null when that cannot be done (read-only, locked
  // by another program, no folder): the show then runs without an index.
  // Without `checkPages` the pages are not read through (a good part of a
  // second on a big index): PagesSound does that later.
  static std::unique_ptr<PhotoIndex> Open(const std::wstring& file, bool checkPages = true);
  bool PagesSound();

  KnownFolders Folders();
  std::vector<IndexedFile> FilesOf(const std::wstring& folder);

  // A folder listed afresh replaces what the index held of it, in one
  // transaction. A file that stayed keeps its id (and its deck place); one
  // whose size or time changed loses its failed mark.
  bool StoreFolder(const std::wstring& folder, int64_t lastWrite, const std::vector<ListedFile>& files,
                   const std::vector<std::wstring>& subFolders);
  // Folders gone from the disk or the settings, with their files.
  bool ForgetFolders(const std::vector<std::wstring>& folders);
  // A failed file that changed since loses its mark.
  bool UpdateFile(PhotoId id, int64_t size, int64_t lastWrite);

  bool MarkFailed(PhotoId id);
  bool MarkShown(PhotoId id);
  // Files marked as failed, counted by extension (with its dot, as the names
  // spell it; empty for a name without one).
  std::vector<std::pair<std::wstring, int>> FailedByExtension();
  // The deck as last stored; photos added since are the caller's to Sync in.
  Deck LoadDeck();
  // Only the stored order of the deck and the photo on screen last, without
  // a mark: cheap on any library.
  std::vector<PhotoId> DeckOrder(PhotoId& lastShown);
  std::optional<FileById> File(PhotoId id);
  // The deck's order and shown marks, after a new pass or new photos.
  bool SaveDeck(const Deck& deck);

 private:
  explicit PhotoIndex(AutoSqlite db) : db_(std::move(db)) {}
  sqlite3_stmt* Statement(AutoStatement& kept, const char* sql);
  bool Execute(const char* sql);

  AutoSqlite db_;
  AutoStatement upsertFolder_, clearWalk_, upsertFile_, dropUnwalked_, filesOf_, forgetFiles_, forgetFolder_,
      updateFile_, markFailed_, markShown_, setShown_, lastShown_, fileById_;
};
