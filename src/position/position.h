// Board, piece lists, position state, moves, make/unmake, FEN set-up and
// the position command: the data model every other module works on.
#pragma once

#include <array>
#include <cstdint>

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

constexpr int EP_NONE = 0xC0;  // itself no square, and no step from a square reaches it

// ---------------------------------------------------------------------------
// Capacities
// ---------------------------------------------------------------------------

constexpr int MAX_PLY = 60;         // PlyRecords, principal-variation rows, attack maps
constexpr int MAX_SEARCH_PLY = 50;  // searches return at once above this ply
// No position has more than 16 moves to one target square (8 knight squares
// and the first piece on each of 8 rays), plus the extra promotion pieces and
// two castlings, so a ply never needs more than this many entries.
constexpr int MAX_MOVES_PER_PLY = 64 * 16 + 8 * 9 + 2;
constexpr int MOVE_STACK_SIZE = MAX_PLY * MAX_MOVES_PER_PLY;
constexpr int MAX_GAME_PLY = 2048;  // game moves since the last set-up
// Room beyond the game part for one search's moves and null moves.
constexpr int GAME_HISTORY_SIZE = MAX_GAME_PLY + MAX_PLY + 4;
// Console moves stack their saved state in PlyRecords; keep room above them.
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

struct ListLink {
  std::uint8_t next;
  std::uint8_t prev;
};

// Storage for indices -64..191, so that any step of up to 33 from a square
// can be read without a bounds test.
inline std::array<std::uint8_t, 256> BoardStore{};
inline std::array<ListLink, 256> ListStore{};
// Index 0 of the board and of the lists.
inline constexpr std::uint8_t* Board = BoardStore.data() + 64;
inline constexpr ListLink* Lists = ListStore.data() + 64;

inline int firstOfList(int code) { return Lists[LIST_HEAD + code].next; }
inline int kingSquare(int colour) { return Lists[LIST_HEAD + pieceCode(colour, KING)].next; }

// The three list operations; every board change goes through them.
inline void insertAtHead(int s, int head) {
  Lists[s].next = Lists[head].next;
  Lists[s].prev = static_cast<std::uint8_t>(head);
  Lists[Lists[s].next].prev = static_cast<std::uint8_t>(s);
  Lists[head].next = static_cast<std::uint8_t>(s);
}
inline void removeFromList(int s) {
  Lists[Lists[s].prev].next = Lists[s].next;
  Lists[Lists[s].next].prev = Lists[s].prev;
  Lists[s] = {0, 0};
}
inline void transferLink(int from, int to) {
  Lists[to] = Lists[from];
  Lists[Lists[to].prev].next = static_cast<std::uint8_t>(to);
  Lists[Lists[to].next].prev = static_cast<std::uint8_t>(to);
  Lists[from] = {0, 0};
}

// ---------------------------------------------------------------------------
// Position, ply records, game history
// ---------------------------------------------------------------------------

struct Position {
  std::int32_t castleRights;
  std::int32_t side;
  std::int32_t xside;
  std::int32_t epSquare;
  std::int32_t fifty;
  std::int32_t gamePly;
  std::uint64_t key;  // Zobrist key; shown as high half then low half
};

struct PlyRecord {
  std::int32_t material;
  std::array<std::int32_t, 2> pawnCount;
  std::array<std::int32_t, 2> knightCount;
  std::array<std::int32_t, 2> bishopCount;
  std::array<std::int32_t, 2> rookCount;
  std::array<std::int32_t, 2> queenCount;
  std::array<std::int32_t, 2> pieceCount;
  Move killer1;
  Move killer2;
  Move mateKiller;
  std::int32_t moveListStart;  // index into MoveStack
  std::int32_t savedEp;
  std::int32_t savedCastleRights;
  std::int32_t savedFifty;
  std::int32_t captured;
  std::uint64_t savedKey;
};

struct GameRecord {
  Move move;          // the move that produced this game ply; 0 for a null move
  std::uint64_t key;  // key of the position after it
};

inline Position Pos{};                                      // the one position
inline std::int32_t searchPly = 0;                          // index of the current PlyRecord
inline std::int32_t maxDepth = 0;                           // last iteration of the deepening, in plies
inline std::array<MoveEntry, MOVE_STACK_SIZE> MoveStack{};  // move lists of all plies
inline std::array<PlyRecord, MAX_PLY + 1> Ply{};            // per-ply state; one spare for the next-ply start
inline std::array<GameRecord, GAME_HISTORY_SIZE> GameHistory{};  // keys for the repetition test

// PieceValue by piece code, both colours positive.
inline constexpr std::array<std::int32_t, 16> PieceValue = {0, 100, 330, 330, 530, 1050, 10000, 0,
                                                            0, 100, 330, 330, 530, 1050, 10000, 0};

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

inline std::array<std::array<std::uint16_t, 128>, 128> KingDistance{};  // Chebyshev distance
inline std::array<std::array<Relation, 128>, 128> SquareRelation{};     // [attacked][attacker]

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

// Empties Board, lists and Position (not searchPly, PlyRecords, history).
void resetPosition();
// Builds KingDistance and SquareRelation.
void initTables();
// Start-up: flags, list starts, depth limit, tables, hash table, start position.
void initEngine();

inline constexpr const char* START_FEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 2";

// Replaces the Position by the FEN's; -1 (and the old position kept) after "FEN error".
int setupFen(const char* text);
// Sets Pos.key from scratch.
void computeKey();
// Board against lists, key against computeKey; for tests and debug asserts.
bool positionIsConsistent();

// Plays and takes back a generated move.
void makeMove(Move m);
void unmakeMove(Move m);

// Coordinate text of a move; the returned buffer is overwritten by the next call.
const char* moveToText(Move m);
// The generated move named by the first characters of text, or 0.
Move textToMove(const char* text);
// Plays a move read from text as a game move: refused (0) when it names no
// generated move, leaves the mover in check, or the game history is full.
Move playGameMove(const char* text);
// The UCI position command on its argument text.
void positionCommand(const char* args);
