// The command history and the packed cells it keeps, without a window:
// steps undone and redone in order, a new step forgetting what could be
// redone; cells of any length set, replaced and removed by column.
#include "CommandHistory.h"
#include "PackedCells.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Appends its letter to a shared log when done and takes it off when undone.
class Append : public CCommand {
 public:
  Append(std::string& log, char letter) : m_log(log), m_letter(letter) {}
  CString Name() const override { return CString(m_letter); }
  void Do() override { m_log += m_letter; }
  void Undo() override {
    ASSERT_FALSE(m_log.empty());
    ASSERT_EQ(m_log.back(), m_letter);  // steps are undone last first
    m_log.pop_back();
  }

 private:
  std::string& m_log;
  char m_letter;
};

TEST(CommandHistoryTest, UndoAndRedoWalkTheStepsAndANewStepForgetsTheRedos) {
  std::string log;
  CCommandHistory history;
  EXPECT_EQ(history.Undo(), "");
  EXPECT_EQ(history.Redo(), "");
  const struct {
    char act;  // a letter: do it; '<' undo; '>' redo
    const char* name;  // what Undo or Redo returns
    const char* log;
    bool canUndo, canRedo;
  } steps[] = {
      {'a', "", "a", true, false},  {'b', "", "ab", true, false},   {'<', "b", "a", true, true},
      {'<', "a", "", false, true},  {'<', "", "", false, true},     {'>', "a", "a", true, true},
      {'c', "", "ac", true, false}, {'>', "", "ac", true, false},   {'<', "c", "a", true, true},
      {'>', "c", "ac", true, false},
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

TEST(PackedCellsTest, CellsAreKeptByColumnWhateverTheirLength) {
  const std::string longText(300, 'x');  // a length of two bytes
  CPackedCells cells;
  EXPECT_TRUE(cells.IsEmpty());
  cells.Set(5, "five");
  cells.Set(0, "");
  cells.Set(31, longText.c_str());
  cells.Set(2, "Ünïcode ♫");
  cells.Set(32, "ignored");
  cells.Set(-1, "ignored");
  EXPECT_EQ(cells.Mask(), (1u << 0) | (1u << 2) | (1u << 5) | (1u << 31));
  EXPECT_TRUE(cells.Has(0));
  EXPECT_FALSE(cells.Has(1));
  EXPECT_EQ(cells.Get(2), "Ünïcode ♫");
  EXPECT_EQ(cells.Get(31), longText.c_str());
  EXPECT_EQ(cells.Get(1), "");
  cells.Set(2, longText.c_str());  // replaced, the others untouched
  cells.Remove(5);
  cells.Remove(7);
  EXPECT_EQ(cells.Get(2), longText.c_str());
  EXPECT_EQ(cells.Get(31), longText.c_str());
  EXPECT_FALSE(cells.Has(5));
  CPackedCells same;
  same.Set(31, longText.c_str());
  same.Set(2, longText.c_str());
  same.Set(0, "");
  EXPECT_EQ(cells, same);  // the order of setting does not matter
  for (int col : {0, 2, 31}) cells.Remove(col);
  EXPECT_TRUE(cells.IsEmpty());
  EXPECT_EQ(cells, CPackedCells());
}

}  // namespace
