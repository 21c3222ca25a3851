// Every change the level editor makes is a command: it knows how to apply itself and how to take
// itself back, on the live objects of the running scene and on the current level's object records
// alike, so that Run then Stop (which rebuilds the scene from its records) and a save both see the
// edit, and undo puts both back. Commands name objects by their names, never by pointer: an object
// deleted and brought back by undo is a new object with the old name.
// The history keeps what was done; a continuous edit (a drag, a field being typed into) merges into
// one command until EndMerge.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "objects/LevelRecords.h"

class GameObject;
struct Level;

class EditorCommand {
 public:
  virtual ~EditorCommand() = default;
  // Applies the change (again, on redo). False when it could not be applied; it is then dropped.
  virtual bool Do() = 0;
  virtual void Undo() = 0;
  // Folds `next` (the next step of the same continuous edit) into this command; false when it is not
  // a step of the same edit.
  virtual bool Merge(const EditorCommand& /*next*/) { return false; }
  virtual std::string Label() const = 0;
};

class CommandHistory {
 public:
  // The oldest steps are forgotten past this many.
  static constexpr size_t kLimit = 500;

  // Applies the command and keeps it for undo (merged into the last one while a continuous edit is
  // open). Clears what could be redone. False, with nothing kept, when the command failed.
  bool Run(std::unique_ptr<EditorCommand> command);
  bool Undo();
  bool Redo();
  // The continuous edit is over: the next command starts a new history entry.
  void EndMerge() { mergeOpen_ = false; }
  // Names what the next commands come from (e.g. the widget being edited): a command from another
  // source starts a new history entry even while a continuous edit is open.
  void SetSource(uint64_t source);
  void Clear();
  // Goes up by one at every change of the level through the history (run, undo, redo): a save or a
  // backup remembers it to tell whether the level has changed since.
  uint64_t Revision() const { return revision_; }
  size_t UndoCount() const { return done_.size(); }
  size_t RedoCount() const { return undone_.size(); }
  const EditorCommand* Last() const { return done_.empty() ? nullptr : done_.back().get(); }

 private:
  std::vector<std::unique_ptr<EditorCommand>> done_;
  std::vector<std::unique_ptr<EditorCommand>> undone_;
  bool mergeOpen_ = false;
  uint64_t source_ = 0;
  uint64_t revision_ = 0;
};

// ---- record helpers shared by the commands and the editor ----------------------------------------

// The level the editor edits: the current scene (null without a scene list).
Level* EditedLevel();
// The record of the current level with that ID, or null.
ObjectRecord* FindRecord(const std::string& id);
// A live object of the list with that name that is not marked for destruction, or null.
GameObject* FindLiveObject(const std::string& name);
// The objects of the list from index `first` on (those a command has just built), and every
// picture they draw that no listed texture has: each is listed in the level's textures and loaded,
// so a placed object shows even where the level had no use for its picture before. Returns the
// names the level's list gained.
std::vector<std::string> ListPicturesOfObjectsFrom(size_t first);
// Takes the names ListPicturesOfObjectsFrom added out of the level's list again.
void UnlistPictures(const std::vector<std::string>& names);


// Sets one value (a transform, a light, the level's fields, the shared tuning ...) from `before`
// to `after` through `apply`. Steps of the same edit (same label and key) merge.
template <class Value>
class SetValueCommand final : public EditorCommand {
 public:
  using Apply = std::function<bool(const Value&)>;
  SetValueCommand(std::string label, std::string key, Value before, Value after, Apply apply)
      : label_(std::move(label)), key_(std::move(key)), before_(std::move(before)), after_(std::move(after)),
        apply_(std::move(apply)) {}
  bool Do() override { return apply_(after_); }
  void Undo() override { apply_(before_); }
  bool Merge(const EditorCommand& next) override {
    auto* same = dynamic_cast<const SetValueCommand*>(&next);
    if (same == nullptr || same->label_ != label_ || same->key_ != key_) return false;
    after_ = same->after_;
    return true;
  }
  std::string Label() const override { return label_; }
  const Value& After() const { return after_; }

 private:
  std::string label_, key_;
  Value before_, after_;
  Apply apply_;
};

template <class Value>
std::unique_ptr<EditorCommand> MakeSetCommand(std::string label, std::string key, Value before, Value after,
                                              typename SetValueCommand<Value>::Apply apply) {
  return std::make_unique<SetValueCommand<Value>>(std::move(label), std::move(key), std::move(before),
                                                  std::move(after), std::move(apply));
}
