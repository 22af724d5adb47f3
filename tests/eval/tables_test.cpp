// The evaluation tables: sample entries, the colour mirror and the two
// deliberate asymmetries.
#include "eval_helpers.h"

namespace {

int sq(const char* name) { return makeSquare(name[0] - 'a', name[1] - '1'); }

TEST(EvalTables, SampleEntries) {
  struct Case {
    const ColourSquareTable* table;
    int colour;
    const char* square;
    int value;
  };
  const Case cases[] = {
      {&KnightSquare, WHITE, "a1", -20},       {&KnightSquare, WHITE, "f7", 0},
      {&KnightSquare, WHITE, "g2", -2},        {&KnightSquare, BLACK, "g7", -2},
      {&KnightSquare, WHITE, "d4", 10},        {&KnightOutpost, WHITE, "d5", 18},
      {&KnightOutpost, WHITE, "c7", 6},        {&KnightOutpost, BLACK, "e5", 8},
      {&KnightOutpost, WHITE, "e3", 0},        {&BishopSquare, WHITE, "b2", 7},
      {&BishopSquare, WHITE, "d1", -5},        {&BishopSquare, BLACK, "d5", 10},
      {&RookSquare, WHITE, "h6", 6},           {&RookSquare, WHITE, "a6", 4},
      {&RookSquare, BLACK, "d2", 14},          {&QueenSquare, WHITE, "a1", -5},
      {&QueenSquare, WHITE, "d6", 12},         {&QueenSquare, BLACK, "h8", -5},
      {&KingSquareMg, WHITE, "b1", 5},         {&KingSquareMg, WHITE, "h1", 2},
      {&KingSquareMg, WHITE, "a2", -1},        {&KingSquareMg, BLACK, "b8", 4},
      {&KingSquareMg, BLACK, "g8", 4},         {&KingSquareMg, BLACK, "a8", 3},
      {&KingSquareMg, BLACK, "e4", -20},       {&KingSquareEg, WHITE, "h7", -11},
      {&KingSquareEg, WHITE, "a7", -15},       {&KingSquareEg, WHITE, "h2", -11},
      {&KingSquareEg, BLACK, "e5", 12},        {&PawnSquareDefault, WHITE, "d2", -10},
      {&PawnSquareDefault, WHITE, "e4", 15},   {&PawnSquareDefault, BLACK, "e5", 15},
      {&PawnSquareKingWing, WHITE, "f2", 9},   {&PawnSquareKingWing, WHITE, "g2", 10},
      {&PawnSquareKingWing, WHITE, "c6", 5},   {&PawnSquareKingWing, BLACK, "f7", 9},
      {&PawnSquareQueenWing, WHITE, "c2", 10}, {&PawnSquareQueenWing, WHITE, "f6", 5},
      {&PawnSquareQueenWing, BLACK, "c7", 10}, {&PawnSquareEg, WHITE, "e2", -8},
      {&PawnSquareEg, WHITE, "a7", 12},        {&PawnSquareEg, BLACK, "h7", -8},
      {&PawnSquareEg, BLACK, "b2", 12},        {&PawnSquareEg, WHITE, "d4", 0},
      {&PawnSquareEg, BLACK, "d4", 4},         {&KingZoneBase, WHITE, "a1", 1},
      {&KingZoneBase, WHITE, "b1", 0},         {&KingZoneBase, WHITE, "e3", 2},
      {&KingZoneBase, WHITE, "e4", 3},         {&KingZoneBase, BLACK, "h8", 1},
      {&KingZoneBase, BLACK, "g8", 0},         {&KingZoneBase, BLACK, "c5", 3},
  };
  for (const Case& c : cases)
    EXPECT_EQ((*c.table)[c.colour][sq(c.square)], c.value) << c.square << " colour " << c.colour;

  EXPECT_EQ(BishopMobility[0], -15);
  EXPECT_EQ(BishopMobility[5], 15);
  EXPECT_EQ(BishopMobility[13], 42);
  EXPECT_EQ(RookMobility[0], -15);
  EXPECT_EQ(RookMobility[7], 12);
  EXPECT_EQ(RookMobility[14], 26);
  EXPECT_EQ(DevelopmentPenalty, (std::array<std::int32_t, 6>{0, 10, 21, 41, 65, 100}));
  EXPECT_EQ(AttackerMixDanger[6], 1);   // minor and rook
  EXPECT_EQ(AttackerMixDanger[12], 2);  // rook and queen
  EXPECT_EQ(AttackerMixDanger[13], 3);  // and a pawn
  EXPECT_EQ(AttackerMixDanger[16], 0);  // the king alone
  EXPECT_EQ(AttackerMixDanger[20], 1);  // king and rook
  EXPECT_EQ(OpenFileDanger[0], 1);
  EXPECT_EQ(OpenFileDanger[1], 0);
  for (int c = WHITE; c <= BLACK; ++c) {
    EXPECT_EQ(ShieldValue[c][pieceCode(c, PAWN)], 18);
    EXPECT_EQ(ShieldValue[c][pieceCode(c, KNIGHT)], 2);
    EXPECT_EQ(ShieldValue[c][pieceCode(c, BISHOP)], 6);
    EXPECT_EQ(ShieldValue[c][pieceCode(c, ROOK)], 0);
    EXPECT_EQ(ShieldValue[c][pieceCode(c ^ 1, PAWN)], 0);
    EXPECT_EQ(ShieldValue[c][EMPTY], 0);
    EXPECT_EQ(ShieldValue[c][OFFBOARD], 0);
  }
}

TEST(EvalTables, BlackIsTheVerticalMirror) {
  const ColourSquareTable* tables[] = {&KnightSquare,        &KnightOutpost,     &BishopSquare,
                                       &RookSquare,          &QueenSquare,       &KingSquareMg,
                                       &KingSquareEg,        &PawnSquareDefault, &PawnSquareKingWing,
                                       &PawnSquareQueenWing, &PawnSquareEg,      &KingZoneBase};
  for (const ColourSquareTable* t : tables)
    for (int s = 0; s < 128; ++s) {
      if (!isSquare(s)) {
        EXPECT_EQ((*t)[WHITE][s], 0);
        EXPECT_EQ((*t)[BLACK][s], 0);
      } else if (t == &KingSquareMg && s == SQ_B8) {
        EXPECT_EQ((*t)[BLACK][s], (*t)[WHITE][s ^ 0x70] - 1);
      } else {
        EXPECT_EQ((*t)[BLACK][s], (*t)[WHITE][s ^ 0x70]) << "square " << s;
      }
    }
  for (int r = 0; r < 8; ++r) EXPECT_EQ(PassedPawnBonus[BLACK][r], PassedPawnBonus[WHITE][7 - r]);
  EXPECT_EQ(PassedPawnBonus[WHITE], (std::array<std::int32_t, 8>{0, 5, 10, 20, 35, 55, 90, 0}));
}

TEST(EvalTables, WingTablesMirrorAcrossTheCentreButForC2AndF2) {
  for (int s = 0; s < 128; ++s) {
    if (!isSquare(s)) continue;
    const int across = s ^ 7;  // a <-> h, d <-> e
    if (s == sq("c2") || s == sq("f2")) continue;
    EXPECT_EQ(PawnSquareQueenWing[WHITE][s], PawnSquareKingWing[WHITE][across]) << "square " << s;
  }
  EXPECT_EQ(PawnSquareQueenWing[WHITE][sq("c2")], 10);
  EXPECT_EQ(PawnSquareKingWing[WHITE][sq("f2")], 9);
  EXPECT_EQ(PawnSquareQueenWing[WHITE][sq("f2")], -12);
  EXPECT_EQ(PawnSquareKingWing[WHITE][sq("c2")], -12);
}

}  // namespace
