// Attribute files: one set of shared tuning values in a small JSON-like text file, either the
// player's movement tuning and sound events ("Player" section) or the human enemies' detection and
// chase tuning ("Human" section). Every value is a string in double quotes. The editor saves and
// loads them by a bare name; a level lists the names it reads when its scene starts. Files live in
// "./Assets/Attributes/" as name + ".json".
#pragma once

#include <string>

class GameObject;

// "./Assets/Attributes/" + name + ".json".
std::string AttributeFilePath(const std::string& name);

// Writes the section for `type` (1 player, 3 human) to the file of `name`, replacing it
// atomically; any other type writes an empty file. `object` (may be null) is the object whose
// Sound component supplies the player's sound events. False after logging "Unable to open file to
// write: " and the reason at ERROR when the file cannot be written (a read-only file is refused; a
// link is written through), or "Unable to write the attributes: " when a value is not a finite
// number (the reader would reject it); the old file then stays as it was, and the reason, fit to
// show a designer, goes to *error when given.
bool SaveAttributes(GameObject* object, int type, const std::string& name, std::string* error = nullptr);
// The same, to an explicit file path.
bool SaveAttributesToFile(GameObject* object, int type, const std::string& path, std::string* error = nullptr);
// The exact text SaveAttributes writes.
std::string AttributesToText(GameObject* object, int type);

// Reads the file of `name` into the shared tuning. A player section also re-registers the sounds
// of every object named "Player_..." with the file's six sound keys. False when the file cannot be
// opened or is malformed (an unknown section word, a number that does not convert), after logging
// why with the file and the line at WARNING (on standard error with the log off); a rejected file
// changes nothing.
bool LoadAttributes(const std::string& name);
// The same, from an explicit file path.
bool LoadAttributesFromFile(const std::string& path);
// The same reader on text in memory; `label` names the file in messages.
bool LoadAttributesFromText(const std::string& text, const std::string& label);
// The section the file of `name` holds, from its first key: 1 for "Player", 3 for "Human", 0 when
// the file cannot be read or names neither.
int AttributeSectionOf(const std::string& name);
