// What the level reader and the level writer share: the reader's bounds, the words the file uses for
// a record's fixed choices, and the reader's check of a text before the writer puts it in a file.
#pragma once

#include <cstddef>
#include <string>

// Bounds that keep a hostile file from eating the machine. Real levels are a few hundred
// kilobytes with a few thousand records, far inside them. The reader walks the text with a flat
// state machine and never recurses, so deep nesting costs nothing.
inline constexpr size_t kMaxLevelFileBytes = size_t{16} << 20;

inline constexpr const char* kDirectionWords[] = {"UP", "DOWN", "LEFT", "RIGHT"};
inline constexpr const char* kAlignmentWords[] = {"Left", "Center", "Right"};

// True when the reader takes `text` as a level file (read as a save reads it back: the music is not
// registered); otherwise the reason, with its line ("line 12: ..."), goes to *reason.
bool LevelTextReadsBack(const std::string& text, const std::string& path, std::string* reason);
