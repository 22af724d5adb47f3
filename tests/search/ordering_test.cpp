// Move ordering: score bands, selection, cutoff learning, PV update.
#include <vector>

#include "search_fixture.h"

class OrderingTest : public SearchTest {
 protected:
  void TearDown() override {
    clearHistory(searchState());
    searchState().killers[0] = {};
    setPosition(START_FEN);
  }

  // Score of the entry of move text after scoring the root list.
  static int scoreOf(const char* text) {
    const Move m = moveFromText(text);
    SearchThread& ss = searchState();
    for (const MoveEntry* e = listBegin(ss, 0); e != listEnd(ss, 0); ++e)
      if (e->move == m) return e->score;
    ADD_FAILURE() << text << " not in the list";
    return -2;
  }
};

TEST_F(OrderingTest, FullSchemeBands) {
  SearchThread& ss = testEngine().thread;
  EvalData& ev = testEval();
  Position& pos = testEngine().pos;
  struct Case {
    const char* name;
    const char* fen;
    const char* move;
    const char* hash;  // nullptr for no hash move
    const char* mateKiller;
    const char* killer1;
    const char* killer2;
    int history;
    int historyMax;
    int expected;
  };
  const char* quiet = "4k3/8/8/8/8/8/8/4K2R w - - 0 1";
  const Case cases[] = {
      {"pawn takes queen", "4k3/8/8/3q4/4P3/8/8/4K3 w - - 0 1", "e4d5", nullptr, nullptr, nullptr, nullptr, 0,
       0, 800000 + 1050 - 100},
      {"knight takes bishop", "4k3/8/8/3b4/8/4N3/8/4K3 w - - 0 1", "e3d5", nullptr, nullptr, nullptr, nullptr,
       0, 0, 750000 + 330},
      {"queen takes defended pawn", "4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1", "d1d5", nullptr, nullptr, nullptr,
       nullptr, 0, 0, 550000 + 100 - 1050},
      {"queen takes free pawn", "4k3/8/8/3p4/8/8/8/3QK3 w - - 0 1", "d1d5", nullptr, nullptr, nullptr,
       nullptr, 0, 0, 600000 + 100 - 1050},
      {"en passant is never gainful by the table", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", nullptr,
       nullptr, nullptr, nullptr, 0, 0, 550000 - 100},
      {"hash move capture", "4k3/8/8/3q4/4P3/8/8/4K3 w - - 0 1", "e4d5", "e4d5", nullptr, nullptr, nullptr, 0,
       0, 1000000},
      {"hash move quiet beats killers", quiet, "h1h5", "h1h5", "h1h5", "h1h5", nullptr, 0, 0, 1000000},
      {"mate killer", quiet, "h1h5", nullptr, "h1h5", nullptr, nullptr, 0, 0, 900000},
      {"mate killer tested before killer 1", quiet, "h1h5", nullptr, "h1h5", "h1h5", nullptr, 0, 0, 900000},
      {"killer 1", quiet, "h1h5", nullptr, nullptr, "h1h5", "h1h4", 0, 0, 500000},
      {"killer 2", quiet, "h1h4", nullptr, nullptr, "h1h5", "h1h4", 0, 0, 400000},
      {"history scaled", quiet, "h1h3", nullptr, nullptr, nullptr, nullptr, 50, 99, 500},
      {"history ratio needs 64 bits", quiet, "h1h3", nullptr, nullptr, nullptr, nullptr, 2000000000,
       2000000000, 999},
      {"history without maximum", quiet, "h1h3", nullptr, nullptr, nullptr, nullptr, 0, 0, 0},
      {"capture is not a killer", "4k3/8/8/3q4/4P3/8/8/4K3 w - - 0 1", "e4d5", nullptr, "e4d5", "e4d5",
       nullptr, 0, 0, 800950},
  };
  for (const Case& c : cases) {
    setPosition(c.fen);
    const Move m = moveFromText(c.move);
    Killers& rec = ss.killers[0];
    rec.mateKiller = c.mateKiller ? moveFromText(c.mateKiller) : 0;
    rec.killer1 = c.killer1 ? moveFromText(c.killer1) : 0;
    rec.killer2 = c.killer2 ? moveFromText(c.killer2) : 0;
    const Move hash = c.hash ? moveFromText(c.hash) : 0;
    clearHistory(ss);
    ss.history[WHITE][moveOrigin(m)][moveTarget(m)] = c.history;
    ss.historyMax = c.historyMax;
    evaluate(pos, ev);
    setListEnd(ss, 0, generateMoves(pos, listBegin(ss, 0)));
    scoreMoves(pos, ss, hash);
    EXPECT_EQ(scoreOf(c.move), c.expected) << c.name;
  }
}

TEST_F(OrderingTest, CaptureScheme) {
  SearchThread& ss = testEngine().thread;
  EvalData& ev = testEval();
  Position& pos = testEngine().pos;
  struct Case {
    const char* name;
    const char* fen;
    const char* move;
    int expected;
  };
  const Case cases[] = {
      {"queen takes pawn defended by pawn is skipped", "4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1", "d1d5", -1},
      {"queen takes free pawn", "4k3/8/8/3p4/8/8/8/3QK3 w - - 0 1", "d1d5", 100000 + 100 - 1050},
      {"pawn takes defended queen", "4k3/2p5/3q4/4P3/8/8/8/4K3 w - - 0 1", "e5d6", 100000 + 1050 - 100},
      {"free en passant", "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", 100000 - 100},
      {"en passant into a pawn's defence is skipped", "4k3/2p5/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", -1},
      {"quiet queen promotion", "4k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7b8q", 0},
  };
  for (const Case& c : cases) {
    setPosition(c.fen);
    const Move m = moveFromText(c.move);
    evaluate(pos, ev);
    setListEnd(ss, 0, generateCaptures(pos, listBegin(ss, 0)));
    scoreCaptures(pos, ss);
    int score = -2;
    for (const MoveEntry* e = listBegin(ss, 0); e != listEnd(ss, 0); ++e)
      if (e->move == m) score = e->score;
    EXPECT_EQ(score, c.expected) << c.name;
  }
}

TEST_F(OrderingTest, PickMoveTakesFirstOfEqualBestAndSkipsSearched) {
  SearchThread& ss = testEngine().thread;
  Position& pos = testEngine().pos;
  ss.moveListStart[0] = 0;
  const std::int32_t scores[] = {5, 7, 7, -1, 3, -9};
  for (int i = 0; i < 6; ++i) ss.moveStack[i] = {static_cast<Move>(100 + i), scores[i]};
  ss.moveListStart[1] = 6;
  pos.searchPly = 0;
  const Move expected[] = {101, 102, 100, 104, 0, 0};
  for (Move e : expected) EXPECT_EQ(pickMove(ss, pos.searchPly), e);
  for (int i = 0; i < 6; ++i) EXPECT_LE(ss.moveStack[i].score, -1);
  ss.moveListStart[1] = 0;
}

// The picker's early stops must give the order of plain selection (the
// best score left, ties to the earlier entry) whatever the scores.
TEST_F(OrderingTest, MovePickerKeepsTheSelectionOrder) {
  SearchThread& ss = testEngine().thread;
  struct Case {
    std::vector<std::int32_t> scores;
    int first;  // index of the scoring pass's first pick, -1 for none
  };
  const Case cases[] = {
      {{5, 7, 7, -1, 3, -9}, 1},
      {{5, 7, 7, -1, 3, -9}, -1},
      {{0, 0, 3, 0, 3, 0, 0, 1, 1, 0}, 2},
      {{2, 1, 2, 1, 2, 1, 9, 1}, 6},
      {{1, 4, 1, 4, 0, 4, 1, 0, 0}, 1},
      {{-1, -1, -1}, -1},
      {{}, -1},
      {{6, 5, 4, 3, 2, 1, 0}, 0},
      {{0, 1, 2, 3, 4, 5, 6}, 6},
      {{3, -1, 3, 2, 3, 2, -1, 2}, 0},
  };
  int n = 0;
  for (const Case& c : cases) {
    const int size = static_cast<int>(c.scores.size());
    ss.moveListStart[0] = 0;
    ss.moveListStart[1] = size;
    for (int i = 0; i < size; ++i) ss.moveStack[i] = {static_cast<Move>(100 + i), c.scores[i]};
    std::vector<Move> expected;
    std::vector<std::int32_t> left = c.scores;
    for (;;) {
      int best = -1;
      for (int i = 0; i < size; ++i)
        if (left[i] > -1 && (best < 0 || left[i] > left[best])) best = i;
      if (best < 0) break;
      expected.push_back(static_cast<Move>(100 + best));
      left[best] = -1;
    }
    MovePicker picker{c.first < 0 ? nullptr : &ss.moveStack[c.first]};
    std::vector<Move> got;
    while (const Move m = pickMove(ss, 0, picker)) got.push_back(m);
    EXPECT_EQ(got, expected) << "case " << n;
    ++n;
  }
  ss.moveListStart[1] = 0;
}

TEST_F(OrderingTest, RecordCutoffFillsKillersAndHistory) {
  SearchThread& ss = testEngine().thread;
  Position& pos = testEngine().pos;
  setPosition(START_FEN);
  const Move a = moveFromText("g1f3");
  const Move b = moveFromText("b1c3");
  clearHistory(ss);
  Killers& rec = ss.killers[0];
  rec.killer1 = rec.killer2 = rec.mateKiller = 0;
  recordCutoff(pos, ss, a, 32667, 35);  // not above the bound: a plain killer
  EXPECT_EQ(rec.killer1, a);
  EXPECT_EQ(rec.killer2, 0u);
  recordCutoff(pos, ss, a, 100, 20);  // no duplicate test: both slots
  EXPECT_EQ(rec.killer1, a);
  EXPECT_EQ(rec.killer2, a);
  recordCutoff(pos, ss, b, 32668, 19);  // mate killer only
  EXPECT_EQ(rec.mateKiller, b);
  EXPECT_EQ(rec.killer1, a);
  EXPECT_EQ(ss.history[WHITE][moveOrigin(a)][moveTarget(a)], 3 + 2);
  EXPECT_EQ(ss.history[WHITE][moveOrigin(b)][moveTarget(b)], 1);
  EXPECT_EQ(ss.historyMax, 5);
  EXPECT_EQ(ss.history[BLACK][moveOrigin(a)][moveTarget(a)], 0);
}

TEST_F(OrderingTest, UpdatePvAdoptsChildLine) {
  SearchThread& ss = testEngine().thread;
  Position& pos = testEngine().pos;
  for (auto& row : ss.pvTable) row.fill(0);
  pos.searchPly = 2;
  ss.pvTable[3][3] = 31;
  ss.pvTable[3][4] = 32;
  ss.pvTable[3][5] = 33;
  ss.pvLength[3] = 6;
  ss.pvTable[2][6] = 99;  // beyond the new length: left alone
  updatePv(ss, pos.searchPly, 20);
  EXPECT_EQ(ss.pvLength[2], 6);
  const Move row[] = {20, 31, 32, 33, 99};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ss.pvTable[2][2 + i], row[i]) << i;
  ss.pvLength[3] = 3;  // a child with an empty line
  updatePv(ss, pos.searchPly, 21);
  EXPECT_EQ(ss.pvLength[2], 3);
  EXPECT_EQ(ss.pvTable[2][2], 21u);
  pos.searchPly = 0;
}
