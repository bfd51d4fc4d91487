// The command history without a window: steps undone and redone in order,
// a new step forgetting what could be redone.
#include <core/CommandHistory.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// Appends its letter to a shared log when done, takes the log's last letter off when undone.
struct Append : CCommand {
  Append(std::string& log, char letter) : log(log), letter(letter) {}
  CString Name() const override { return CString(letter); }
  void Do() override { log += letter; }
  void Undo() override { log.pop_back(); }
  std::string& log;
  char letter;
};

TEST(CommandHistoryTest, UndoAndRedoWalkTheStepsAndANewStepForgetsTheRedos) {
  std::string log;
  CCommandHistory history;
  const struct {
    char act;          // a letter: do it; '<' undo; '>' redo
    const char* name;  // what Undo or Redo returns
    const char* log;
    bool canUndo, canRedo;
  } steps[] = {
      {'<', "", "", false, false}, {'a', "", "a", true, false}, {'b', "", "ab", true, false}, {'<', "b", "a", true, true},
      {'<', "a", "", false, true}, {'<', "", "", false, true},   {'>', "a", "a", true, true},
      {'c', "", "ac", true, false}, {'>', "", "ac", true, false},
  };
  for (const auto& step : steps) {
    if (step.act == '<')
      EXPECT_EQ(history.Undo(), step.name) << step.log;
    else if (step.act == '>')
      EXPECT_EQ(history.Redo(), step.name) << step.log;
    else
      history.Do(std::make_unique<Append>(log, step.act));
    EXPECT_EQ(log, step.log);
    EXPECT_EQ(history.CanUndo(), step.canUndo) << step.log;
    EXPECT_EQ(history.CanRedo(), step.canRedo) << step.log;
  }
  history.Clear();
  EXPECT_FALSE(history.CanUndo() || history.CanRedo());
  EXPECT_EQ(log, "ac");  // forgetting the steps changes nothing
}

}  // namespace
