// The editor's file flows: the edited level saved to its own file or to the one the Save As dialog
// names, the level path a typed name stands for, the explorer opened for a load, and the pictures
// and attribute files picked in the explorer. A failure is kept in the editor's state for the
// dialog or the error box.
#pragma once

#include <string>

// Writes the edited level (records from the live objects) and the attribute files its tuning edits
// touched to the level's own file. False when the level has no file or it was not written; the
// reason is in Editor().saveFailure.
bool EditorSaveLevel();
// Writes the edited level to `path`, which becomes its file.
bool SaveLevelAs(const std::string& path);
// The level path a save-dialog text stands for: a bare name goes to "./Assets/Levels/" + name + ".json".
std::string LevelPathFor(const std::string& text);
// What the top bar shows of the edited level: "Level 1: ./Assets/Levels/level1.json".
std::string EditedLevelLabel();
// The top bar's "Save": writes the level to the file the top bar names; a failure opens the error
// box with the reason. A scene without a level file opens "Save As" instead.
void PressSave();
// The top bar's "Save As": the dialog opens with the level's name.
void PressSaveAs();
// Opens the file explorer on the level files for a load (after any question about unsaved work).
void StartLoading();
// "Change texture" / "Add texture": the explorer opens to pick a picture for the object's model.
void StartTexturePick(const std::string& object);
// The explorer reported a pick: the picture becomes a texture of the level and the model shows it.
// A pick outside "./Assets" (or no pick) opens the error box and keeps the explorer.
bool TexturePicked(const std::string& path);
// "Browse" in the "Load Attributes" dialog: the explorer opens on the attribute files.
void StartAttributePick();
// The explorer reported a pick: a file of "./Assets/Attributes/" fills the dialog's name field (its
// path below that folder, without ".json") and the explorer closes; any other pick is refused with
// a message and the explorer stays.
bool AttributePicked(const std::string& path);
// "Remove texture": the model shows its colour again.
void RemoveTexture(const std::string& object);
