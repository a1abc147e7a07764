// Damage found in a table file, remembered beside it so that no process
// writes into a damaged table. Whoever meets the damage (a read that SQLite
// answers with a corrupt or not-a-database result, or the engine's own check)
// marks the table; every change asks first and is refused while the mark
// holds.
//
// The mark is a small file beside the table ("FRASES.DB.damaged"), which is
// not data. It names the table file as it was when the damage was found (its
// device, inode, size and modification time) and what was found. It holds
// only while the table file is that same file: re-creating the table or
// putting a sound copy in its place lifts it.
#pragma once

#include <optional>
#include <string>

// Marks the table file at `tablePath` damaged; `finding` says what was found
// (one line). Best effort: where the mark cannot be written the caller's
// refusal is all that remains.
void MarkDamaged(const std::string& tablePath, const std::string& finding);

// What was found when the table file, as it is now, was marked damaged;
// nothing when it is not marked.
std::optional<std::string> DamageFound(const std::string& tablePath);

// Drops the mark of a table whose file was just made anew.
void ForgetDamage(const std::string& tablePath);
