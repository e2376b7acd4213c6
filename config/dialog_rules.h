#pragma once
// The dialog's rules that need no window: how check boxes map to the code
// lists, how seconds map to milliseconds, how picked and dropped names become
// list items, and where a moved item goes. The Win32 dialog stays a thin shell
// around these.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/saver_settings.h"

// The check boxes that stand for code lists.
struct EffectChoices {
  bool effects[kMaxColorEffects] = {};  // "Original", "Black && White", "Sepia", "Blue"
  bool lessColorEffect = false;
  bool effectTransition = false;  // "Color Effect Transition"
  bool fadeInOut = false;         // "Fade In && Fade Out"

  bool operator==(const EffectChoices&) const = default;
};

// What the boxes show for a settings record.
EffectChoices ChoicesFromSettings(const SaverSettings& settings);

// Replaces the colour effects, transitions, fades and lessColorEffect of
// `settings` with what the boxes say. The colour effects come in code order;
// the transitions follow from them; the fades are either "none" or "black and
// white".
void ApplyChoices(const EffectChoices& choices, SaverSettings& settings);

// The up-down control's range: whole seconds, from the shortest slide the
// show runs.
constexpr int kMinSeconds = 1;
constexpr int kMaxSeconds = 999;
constexpr int kInitialSeconds = 5;

// Seconds shown for a stored time; the fraction is dropped, and a time below
// a second shows as the second the show runs it for.
int SecondsFromSlideTime(int32_t slideTime);

// The time stored for the seconds field and the up-down control's UDM_GETPOS
// answer about it: a non-zero high word means the field held no valid number,
// and the default time is taken instead. An empty field is no number either,
// whatever the control makes of it.
int32_t SlideTimeFromSecondsField(std::wstring_view text, uint32_t upDownAnswer);

// A list item is read back through a 260-character buffer: a longer path
// would come back cut short and name a different file.
constexpr size_t kMaxListItemChars = kMaxEntryChars;
constexpr bool FitsListItem(size_t length) { return length <= kMaxListItemChars; }

// Paths from an open-file name buffer: either one full path, or a folder
// followed by file names, each ended by a zero and the whole by an empty
// string. A folder of 258 characters or more gives nothing; a name that would
// make a path longer than 259 characters is skipped. `buffer` must hold at
// least `capacity` characters; nothing past it is read.
std::vector<std::wstring> PathsFromPickedNames(const wchar_t* buffer, size_t capacity);

// The size, in characters, the picker's name buffer must grow to so that the
// current selection fits, or nothing when it fits already or the lengths are
// not known (negative). The lengths include their terminators.
std::optional<uint32_t> GrownNameBufferSize(int specLength, int folderLength, uint32_t currentSize);

enum class MoveDirection { kUp, kDown };

// Where the selected item goes, or nothing when it cannot move (no selection,
// first item up, last item down).
std::optional<int> MoveTarget(int selected, int count, MoveDirection direction);
