// Board, piece lists and the position with its undo records and game history,
// moves, FEN set-up, make and unmake, the attack test and the constant tables:
// the data model every other module works on.
#pragma once

#include <array>
#include <cstdint>

// Inlining that the speed of a hot function depends on, where the compiler
// has a word for it.
#if defined(__GNUC__) || defined(__clang__)
#define ALWAYS_INLINE [[gnu::always_inline]] inline
#elif defined(_MSC_VER)
#define ALWAYS_INLINE __forceinline
#else
#define ALWAYS_INLINE inline
#endif

// ---------------------------------------------------------------------------
// Squares, colours and pieces
// ---------------------------------------------------------------------------

// A square is rank * 16 + file on the 0x88 board; s & 0x88 != 0 is no square.
constexpr bool isSquare(int s) { return (s & 0x88) == 0; }
constexpr int rankOf(int s) { return s >> 4; }
constexpr int fileOf(int s) { return s & 15; }
constexpr int makeSquare(int file, int rank) { return rank * 16 + file; }

enum Colour : int { WHITE = 0, BLACK = 1 };
enum Kind : int { PAWN = 1, KNIGHT = 2, BISHOP = 3, ROOK = 4, QUEEN = 5, KING = 6 };

// Piece code: colour * 8 + kind; two more codes for non-pieces.
constexpr int EMPTY = 16;
constexpr int OFFBOARD = 32;
constexpr int pieceCode(int colour, int kind) { return colour * 8 + kind; }
constexpr int colourOf(int code) { return code >> 3; }
constexpr int kindOf(int code) { return code & 7; }

// Named squares used by castling, set-up and evaluation.
enum SquareName : int {
  SQ_A1 = 0x00,
  SQ_B1 = 0x01,
  SQ_C1 = 0x02,
  SQ_D1 = 0x03,
  SQ_E1 = 0x04,
  SQ_F1 = 0x05,
  SQ_G1 = 0x06,
  SQ_H1 = 0x07,
  SQ_A8 = 0x70,
  SQ_B8 = 0x71,
  SQ_C8 = 0x72,
  SQ_D8 = 0x73,
  SQ_E8 = 0x74,
  SQ_F8 = 0x75,
  SQ_G8 = 0x76,
  SQ_H8 = 0x77
};

constexpr int CASTLE_WK = 1;
constexpr int CASTLE_WQ = 2;
constexpr int CASTLE_BK = 4;
constexpr int CASTLE_BQ = 8;

// A castling right's bit index: CASTLE_WK is bit 0, CASTLE_WQ 1, CASTLE_BK 2,
// CASTLE_BQ 3; a castling move names its right by colour and direction, the
// king side being the one its target lies towards from its origin.
constexpr int castleRightIndex(int colour, int origin, int target) { return 2 * colour + (target < origin); }

constexpr int EP_NONE = 0xC0;  // itself no square, and no step from a square reaches it

// ---------------------------------------------------------------------------
// Capacities
// ---------------------------------------------------------------------------

constexpr int MAX_PLY = 60;         // undo records, principal-variation rows, attack maps
constexpr int MAX_SEARCH_PLY = 50;  // searches return at once above this ply
// No position has more than 16 moves to one target square (8 knight squares
// and the first piece on each of 8 rays), plus the extra promotion pieces and
// two castlings, so a ply never needs more than this many entries.
constexpr int MAX_MOVES_PER_PLY = 64 * 16 + 8 * 9 + 2;
constexpr int MOVE_STACK_SIZE = MAX_PLY * MAX_MOVES_PER_PLY;
constexpr int MAX_GAME_PLY = 2048;  // game moves since the last set-up
// Room beyond the game part for one search's moves and null moves.
constexpr int GAME_HISTORY_SIZE = MAX_GAME_PLY + MAX_PLY + 4;
// Console moves stack their saved state in undo records; keep room above them.
constexpr int MAX_CONSOLE_PLY = MAX_PLY - 4;

// ---------------------------------------------------------------------------
// Move
// ---------------------------------------------------------------------------
//
//  31      24 23 22 21 20 19 18 17 16 15      8 7       0
//  +---------+--+--+--+--+--+--+--+--+---------+---------+
//  |    0    |CA|PW|EP|CP|PQ|PR|PB|PN| origin  | target  |
//  +---------+--+--+--+--+--+--+--+--+---------+---------+
//
using Move = std::uint32_t;

constexpr Move MOVE_PROMO_KNIGHT = 0x10000;
constexpr Move MOVE_PROMO_BISHOP = 0x20000;
constexpr Move MOVE_PROMO_ROOK = 0x40000;
constexpr Move MOVE_PROMO_QUEEN = 0x80000;
constexpr Move MOVE_CAPTURE = 0x100000;
constexpr Move MOVE_EN_PASSANT = 0x200000;
constexpr Move MOVE_PAWN = 0x400000;
constexpr Move MOVE_CASTLE = 0x800000;
constexpr Move MOVE_PROMO_ANY = MOVE_PROMO_KNIGHT | MOVE_PROMO_BISHOP | MOVE_PROMO_ROOK | MOVE_PROMO_QUEEN;
constexpr Move MOVE_IDENTITY_MASK = 0xFFFFF;  // squares and promotion: names a move in a position

constexpr int moveTarget(Move m) { return static_cast<int>(m & 0xFF); }
constexpr int moveOrigin(Move m) { return static_cast<int>((m >> 8) & 0xFF); }
constexpr Move makeMoveValue(int origin, int target, Move flags) {
  return static_cast<Move>(origin) << 8 | static_cast<Move>(target) | flags;
}
// The piece kind a promotion flag turns the pawn into (0 for no promotion).
constexpr int promotionKind(Move m) {
  return (m & MOVE_PROMO_QUEEN)    ? QUEEN
         : (m & MOVE_PROMO_ROOK)   ? ROOK
         : (m & MOVE_PROMO_BISHOP) ? BISHOP
         : (m & MOVE_PROMO_KNIGHT) ? KNIGHT
                                   : 0;
}

struct MoveEntry {
  Move move;
  std::int32_t score;  // ordering score; -1 marks an entry already searched
};

// ---------------------------------------------------------------------------
// Board and piece lists
// ---------------------------------------------------------------------------

// Piece lists link the squares of each piece code; heads sit at 0xB0 + code.
constexpr int LIST_HEAD = 0xB0;
constexpr int LIST_END = 0x80;  // any link of 0x80 or more ends a list

// Indices -64..191, so that any step of up to 33 from a square can be read
// without a bounds test; every index that is no square holds OFFBOARD.
struct Board {
  std::array<std::uint8_t, 256> cells;
  // Through a base at index 0, so that the offset folds into the address.
  std::uint8_t& operator[](int s) { return (cells.data() + 64)[s]; }
  std::uint8_t operator[](int s) const { return (cells.data() + 64)[s]; }
  // The cell of index 0, for scans that step a pointer.
  const std::uint8_t* origin() const { return cells.data() + 64; }
  bool operator==(const Board&) const = default;
};

struct ListLink {
  std::uint8_t next;
  std::uint8_t prev;
  bool operator==(const ListLink&) const = default;
};

// One link pair per index -64..191, like the board.
struct PieceLists {
  std::array<ListLink, 256> links;
  ListLink& operator[](int s) { return (links.data() + 64)[s]; }
  const ListLink& operator[](int s) const { return (links.data() + 64)[s]; }
  bool operator==(const PieceLists&) const = default;
};

// The three list operations; every board change goes through them.
inline void insertAtHead(PieceLists& lists, int s, int head) {
  lists[s].next = lists[head].next;
  lists[s].prev = static_cast<std::uint8_t>(head);
  lists[lists[s].next].prev = static_cast<std::uint8_t>(s);
  lists[head].next = static_cast<std::uint8_t>(s);
}
inline void removeFromList(PieceLists& lists, int s) {
  lists[lists[s].prev].next = lists[s].next;
  lists[lists[s].next].prev = lists[s].prev;
  lists[s] = {0, 0};
}
inline void transferLink(PieceLists& lists, int from, int to) {
  lists[to] = lists[from];
  lists[lists[to].prev].next = static_cast<std::uint8_t>(to);
  lists[lists[to].next].prev = static_cast<std::uint8_t>(to);
  lists[from] = {0, 0};
}

// ---------------------------------------------------------------------------
// Position, undo records, game history
// ---------------------------------------------------------------------------

// What unmaking the move made from one ply needs back.
struct UndoRecord {
  std::uint64_t savedKey;
  std::int32_t savedEp;
  std::int32_t savedCastleRights;
  std::int32_t savedFifty;
  std::int32_t savedMaterial;
  std::array<std::uint64_t, 2> savedPawns;
  std::int32_t captured;  // piece code taken (EMPTY for none, the pawn for en passant, 0 for a null move)
  bool operator==(const UndoRecord&) const = default;
};

struct GameRecord {
  Move move;          // the move that produced this game ply; 0 for a null move
  std::uint64_t key;  // key of the position after it
  bool operator==(const GameRecord&) const = default;
};

// Where a castling right's pieces stand and go, fixed at set-up. A castling
// move runs from the king's square to `target`: the king's own target where
// king and rook start on their standard squares (so a standard game keeps
// its moves), else the rook's square (the king takes its own rook), since in
// Chess960 a castling king may move one step, or not at all.
struct CastleRoute {
  std::int8_t kingTo;
  std::int8_t rookFrom;
  std::int8_t rookTo;
  std::int8_t target;
  bool operator==(const CastleRoute&) const = default;
};

struct Position {
  Board board;
  PieceLists lists;
  std::uint64_t key;  // Zobrist key; shown as high half then low half
  std::int32_t castleRights;
  std::int32_t side;
  std::int32_t xside;
  std::int32_t epSquare;
  std::int32_t fifty;
  std::int32_t gamePly;   // moves since the set-up; index of the newest history record
  std::int32_t material;  // both colours without kings, by PieceValue
  // Pawn squares by colour, one bit per square (rank * 8 + file): the exact
  // key of the pawn table, kept by make and unmake.
  std::array<std::uint64_t, 2> pawns;
  // Castling routes by right index, and per square the rights a move keeps
  // when it leaves or lands on it (king and rook homes clear theirs).
  std::array<CastleRoute, 4> castle;
  std::array<std::uint8_t, 128> castleKeep;
  // Some right starts off the standard squares: castling takes the general path.
  bool castle960 = false;
  // UCI_Chess960: castling fields in Chess960 form (KQkq for the outermost
  // rook, or rook files) and castling written as king takes own rook. A
  // setting of the engine kept here, since set-up and move text both read
  // it; set-up leaves it alone.
  bool chess960 = false;
  // Moves made since the current root (a search's, or the console's base):
  // the undo record the next move fills. Set-up leaves it alone; the
  // console can take back a move only while its record is still below it.
  std::int32_t searchPly;
  std::array<UndoRecord, MAX_PLY + 1> undo;
  std::array<GameRecord, GAME_HISTORY_SIZE> history;  // keys for the repetition test
  bool operator==(const Position&) const = default;
};

inline int firstOfList(const Position& pos, int code) { return pos.lists[LIST_HEAD + code].next; }
inline int kingSquare(const Position& pos, int colour) {
  return pos.lists[LIST_HEAD + pieceCode(colour, KING)].next;
}

// Material by kind: pawn 100, knight 330, bishop 330, rook 530, queen 1050, king 10000.
inline constexpr std::array<std::int32_t, 8> KindValue = {0, 100, 330, 330, 530, 1050, 10000, 0};
// The same by piece code, both colours positive.
inline constexpr std::array<std::int32_t, 16> PieceValue = [] {
  std::array<std::int32_t, 16> t{};
  for (int code = 0; code < 16; ++code) t[code] = KindValue[kindOf(code)];
  return t;
}();

// ---------------------------------------------------------------------------
// Constant tables
// ---------------------------------------------------------------------------

struct Relation {
  std::uint16_t flags;
  std::int16_t step;
};

constexpr int REL_WPAWN = 0x01;
constexpr int REL_BPAWN = 0x02;
constexpr int REL_KNIGHT = 0x04;
constexpr int REL_DIAG = 0x08;
constexpr int REL_ORTH = 0x10;
constexpr int REL_LINE = 0x20;
constexpr int REL_KING = 0x40;

inline constexpr std::array<std::int32_t, 16> RelationMask = {
    0, REL_BPAWN, REL_KNIGHT, REL_DIAG, REL_ORTH, REL_LINE, REL_KING, 0,
    0, REL_WPAWN, REL_KNIGHT, REL_DIAG, REL_ORTH, REL_LINE, REL_KING, 0};

// Step lists end with 0; pawn steps are exactly three per colour.
inline constexpr std::array<std::int32_t, 9> KnightOffsets = {14, 31, 33, 18, -14, -31, -33, -18, 0};
inline constexpr std::array<std::int32_t, 5> RookDirections = {-1, 1, 16, -16, 0};
inline constexpr std::array<std::int32_t, 5> BishopDirections = {15, 17, -15, -17, 0};
inline constexpr std::array<std::int32_t, 9> QueenDirections = {-1, 1, 16, -16, 15, 17, -15, -17, 0};
inline constexpr std::array<std::int32_t, 9> KingDirections = {-1, 1, 16, -16, 15, 17, -15, -17, 0};
inline constexpr std::array<std::array<std::int32_t, 3>, 2> PawnDirections = {
    {{15, 17, 16}, {-17, -15, -16}}};
inline constexpr std::array<const std::int32_t*, 16> PieceDirections = {nullptr,
                                                                        PawnDirections[0].data(),
                                                                        KnightOffsets.data(),
                                                                        BishopDirections.data(),
                                                                        RookDirections.data(),
                                                                        QueenDirections.data(),
                                                                        KingDirections.data(),
                                                                        nullptr,
                                                                        nullptr,
                                                                        PawnDirections[1].data(),
                                                                        KnightOffsets.data(),
                                                                        BishopDirections.data(),
                                                                        RookDirections.data(),
                                                                        QueenDirections.data(),
                                                                        KingDirections.data(),
                                                                        nullptr};

// Chebyshev distance of two squares; 0 when either is no square.
inline constexpr std::array<std::array<std::uint16_t, 128>, 128> KingDistance = [] {
  std::array<std::array<std::uint16_t, 128>, 128> t{};
  for (int a = 0; a < 128; ++a)
    for (int b = 0; b < 128; ++b)
      if (isSquare(a) && isSquare(b)) {
        const int dr = rankOf(a) > rankOf(b) ? rankOf(a) - rankOf(b) : rankOf(b) - rankOf(a);
        const int df = fileOf(a) > fileOf(b) ? fileOf(a) - fileOf(b) : fileOf(b) - fileOf(a);
        t[a][b] = static_cast<std::uint16_t>(dr > df ? dr : df);
      }
  return t;
}();

// [attacked][attacker]: which kinds standing on the attacker square reach the
// attacked one on an empty board, and for lines the step from attacked to attacker.
inline constexpr std::array<std::array<Relation, 128>, 128> SquareRelation = [] {
  std::array<std::array<Relation, 128>, 128> t{};
  auto add = [&t](int a, int b, int flags, int step) {
    t[a][b].flags = static_cast<std::uint16_t>(t[a][b].flags | flags);
    if (step != 0) t[a][b].step = static_cast<std::int16_t>(step);
  };
  for (int a = 0; a < 128; ++a) {
    if (!isSquare(a)) continue;
    for (const std::int32_t d : KnightOffsets)
      if (d != 0 && isSquare(a + d)) add(a, a + d, REL_KNIGHT, 0);
    for (const std::int32_t d : KingDirections)
      if (d != 0 && isSquare(a + d)) add(a, a + d, REL_KING, 0);
    for (const std::int32_t d : BishopDirections)
      if (d != 0)
        for (int b = a + d; isSquare(b); b += d) add(a, b, REL_DIAG | REL_LINE, d);
    for (const std::int32_t d : RookDirections)
      if (d != 0)
        for (int b = a + d; isSquare(b); b += d) add(a, b, REL_ORTH | REL_LINE, d);
    if (isSquare(a + 17)) add(a, a + 17, REL_WPAWN, 0);
    if (isSquare(a + 15)) add(a, a + 15, REL_WPAWN, 0);
    if (isSquare(a - 17)) add(a, a - 17, REL_BPAWN, 0);
    if (isSquare(a - 15)) add(a, a - 15, REL_BPAWN, 0);
  }
  return t;
}();

// The index of a 0x88 square among the 64, rank * 8 + file.
constexpr int squareIndex(int s) { return (s + (s & 7)) >> 1; }
// The bit of a 0x88 square in Position::pawns.
constexpr std::uint64_t squareBit(int s) { return std::uint64_t{1} << squareIndex(s); }
// The 0x88 square of bit i.
constexpr int bitSquare(int i) { return i + (i & ~7); }

// Rank counted from the colour's own back rank; 0 off the board.
inline constexpr std::array<std::array<std::int32_t, 128>, 2> RelativeRank = [] {
  std::array<std::array<std::int32_t, 128>, 2> t{};
  for (int s = 0; s < 128; ++s) {
    if (isSquare(s)) {
      t[WHITE][s] = rankOf(s);
      t[BLACK][s] = 7 - rankOf(s);
    }
  }
  return t;
}();

// Zobrist keys: fixed pseudo-random values computed by the compiler.
namespace zobrist_detail {
constexpr std::uint64_t splitmix(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9E3779B97F4A7C15ULL);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}
struct Keys {
  std::array<std::array<std::uint64_t, 128>, 15> piece{};
  std::array<std::uint64_t, 16> castle{};
  std::uint64_t side = 0;
};
constexpr Keys makeKeys() {
  Keys k{};
  std::uint64_t state = 0x7A524E4943ULL;  // fixed seed
  for (auto& row : k.piece)
    for (auto& v : row) v = splitmix(state);
  for (auto& v : k.castle) v = splitmix(state);
  k.side = splitmix(state);
  return k;
}
inline constexpr Keys AllKeys = makeKeys();
}  // namespace zobrist_detail

inline constexpr const std::array<std::array<std::uint64_t, 128>, 15>& PieceKey =
    zobrist_detail::AllKeys.piece;
inline constexpr const std::array<std::uint64_t, 16>& CastleKey = zobrist_detail::AllKeys.castle;
inline constexpr std::uint64_t SideKey = zobrist_detail::AllKeys.side;

// ---------------------------------------------------------------------------
// Operations
// ---------------------------------------------------------------------------

inline constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 2";

// Empties the board, the lists and the fields (not searchPly, the undo
// records or the history).
void resetPosition(Position& pos);
// Replaces the position by the FEN's, with its key and material; false (and
// the position unchanged) for a text that cannot be set up.
bool setupFen(Position& pos, const char* text);
// The key from scratch.
std::uint64_t computeKey(const Position& pos);
// The pawn squares of both colours, from the lists.
std::array<std::uint64_t, 2> computePawns(const Position& pos);
// Material of both colours without kings, from the board.
std::int32_t boardMaterial(const Position& pos);
// Board against lists, key, pawn squares and material against their from-scratch values;
// for tests and debug asserts.
bool positionIsConsistent(const Position& pos);

// Plays and takes back a generated move; the saved state goes to the undo
// record of searchPly, which they advance and step back.
void makeMove(Position& pos, Move m);
void unmakeMove(Position& pos, Move m);
// Passes the move, with the same undo record as makeMove.
void makeNullMove(Position& pos);
void unmakeNullMove(Position& pos);

// True when a piece of colour attacks square (no x-ray; pinned pieces attack).
bool isAttacked(const Position& pos, int square, int colour);
// True when the king of colour is attacked by the other colour.
bool kingInCheck(const Position& pos, int colour);

// Coordinate text of a move ("e7e8q"; "a1a1" for 0).
struct MoveText {
  char text[6];
};
MoveText moveToText(Move m);
// The same in the position's notation: castling as the king's move to its
// target, or with chess960 as the king taking its own rook.
MoveText moveToText(const Position& pos, Move m);
// The square a castling move's text names (the position's own castling
// moves and those of lines played from it).
int castleTextTarget(const Position& pos, Move m);
