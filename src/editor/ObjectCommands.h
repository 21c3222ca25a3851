// The commands that make, remove, move and link the level's objects: placing an object, deleting
// one, dragging a selection, and linking patrol nodes into a guard's path.
#pragma once

#include <string>
#include <vector>

#include "editor/EditorCommands.h"
#include "objects/ObjectHandle.h"

// Places a new object of `type` at (x, y) through the factory and appends its record. Undo removes
// both; redo rebuilds the same object (same name) from the record.
class PlaceObjectCommand final : public EditorCommand {
 public:
  PlaceObjectCommand(int type, float x, float y) : type_(type), x_(x), y_(y) {}
  bool Do() override;
  void Undo() override;
  std::string Label() const override { return "Place"; }
  const std::string& PlacedName() const { return record_.id; }

 private:
  int type_;
  float x_, y_;
  bool placed_ = false;
  ObjectRecord record_;
  std::vector<std::string> pictures_;  // what the level's texture list gained
};

// Deletes an object: marks it for destruction, removes its record, re-routes the records of patrol
// paths through it, and unlinks texts that label it. Undo rebuilds it from the record it had.
// An object the level holds no record of is made by the game at every start (a menu's button): a copy
// rebuilt from what the editor can read would lack what the game gave it (its action, its place in
// its menu), so it is hidden instead, and undo shows that very object again.
class DeleteObjectCommand final : public EditorCommand {
 public:
  explicit DeleteObjectCommand(std::string name) : name_(std::move(name)) {}
  bool Do() override;
  void Undo() override;
  std::string Label() const override { return "Delete"; }

 private:
  struct Reroute {
    std::string id;  // a record whose NextID named the deleted object
  };
  std::string name_;
  ObjectRecord record_;
  bool hadRecord_ = false;
  size_t index_ = 0;
  std::vector<Reroute> reroutes_;
  std::vector<std::string> labels_;  // texts that were linked to the object
  ObjectHandle hidden_;              // the game's object this command hid
  bool wasVisible_ = true, wasActive_ = true;
};

// Moves objects to new positions (x, y; z stays), on their transforms and their records. A drag
// is one command: further steps with the same objects merge into it. An object pinned to the
// screen moves its pin by as much (its record keeps the place on the screen), so the pin does not
// take it back.
class MoveObjectsCommand final : public EditorCommand {
 public:
  struct Move {
    std::string name;
    float fromX, fromY, toX, toY;
    // The pin's screen positions, taken at the first Do of a pinned object.
    bool pinned = false;
    float fromScreen[2] = {0.0f, 0.0f};
    float toScreen[2] = {0.0f, 0.0f};
  };
  explicit MoveObjectsCommand(std::vector<Move> moves) : moves_(std::move(moves)) {}
  bool Do() override;
  void Undo() override;
  bool Merge(const EditorCommand& next) override;
  std::string Label() const override { return "Move"; }

 private:
  std::vector<Move> moves_;
};

// Links patrol nodes into a path in list order (the last back to the first when circular) and
// gives the enemy the first node, live and in the records. Undo restores the old links.
class LinkPatrolPathCommand final : public EditorCommand {
 public:
  LinkPatrolPathCommand(std::string enemy, std::vector<std::string> nodes, bool circular)
      : enemy_(std::move(enemy)), nodes_(std::move(nodes)), circular_(circular) {}
  bool Do() override;
  void Undo() override;
  std::string Label() const override { return "Patrol path"; }

 private:
  struct OldLink {
    std::string id, nextId;
  };
  void Apply(const std::vector<OldLink>& links, const std::string& enemyFirst);
  std::string enemy_;
  std::vector<std::string> nodes_;
  bool circular_;
  std::vector<OldLink> before_;
  std::string enemyBefore_;
  bool captured_ = false;
};
