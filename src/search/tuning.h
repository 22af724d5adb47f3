// Tuned constants of the search and of the time budget the go command gives
// it, in one place.
#pragma once

#include <array>
#include <cstdint>

// Input and the clock are checked this often (nodes).
constexpr std::int64_t POLL_INTERVAL = 8192;
// With helper threads the main thread polls this many times as often.
constexpr std::int64_t HELPER_POLL_DIVISOR = 8;
// With several threads, children of nodes this deep are shared out.
constexpr int SHARE_MIN_DEPTH = 30;

// Time budget: with moves to go, this share of the clock per move ...
constexpr std::int64_t BUDGET_MOVES_TO_GO_NUMERATOR = 8;
constexpr std::int64_t BUDGET_MOVES_TO_GO_DENOMINATOR = 10;
// ... without, the clock divided by the divisor of the first game-ply bound
// the game has not reached (later in the game fewer moves remain: a larger
// share each), and when pondering this part of what is left on top.
struct BudgetStep {
  std::int32_t gamePlyBelow;
  std::int32_t divisor;
};
constexpr std::array<BudgetStep, 3> BUDGET_DIVISORS = {{{40, 40}, {60, 28}, {80, 23}}};
constexpr std::int32_t BUDGET_LATE_DIVISOR = 18;
constexpr std::int64_t BUDGET_PONDER_DIVISOR = 100;

// Null move: needs more than one ply left; reduced less in the endgame,
// where zugzwang makes the pass less trustworthy.
constexpr int NULL_MIN_DEPTH = 11;
constexpr int NULL_REDUCTION_ENDGAME = 30;
constexpr int NULL_REDUCTION = 35;
constexpr int NULL_ENDGAME_MATERIAL = 2730;

// Futility margins for quiet moves in the last two plies.
constexpr int FUTILITY_DEPTH_2 = 30;
constexpr int FUTILITY_MARGIN_2 = 530;
constexpr int FUTILITY_DEPTH_1 = 20;
constexpr int FUTILITY_MARGIN_1 = 200;

// Cutoff scores above this go to the mate-killer slot.
constexpr int MATE_KILLER_BOUND = 32667;

// Extensions in tenths of a ply.
constexpr int EXTEND_CHECK = 10;
constexpr int EXTEND_MATE_THREAT = 8;
constexpr int EXTEND_QUEEN_PROMOTION = 8;
constexpr int EXTEND_PAWN_7TH = 8;
constexpr int EXTEND_PAWN_6TH = 5;
constexpr int EXTEND_SINGLE_REPLY = 7;
constexpr int EXTEND_PAWN_ENDING = 10;
constexpr int EXTEND_MAX = 10;
// Material below which a capture of the last piece enters a pawn ending.
constexpr int PAWN_ENDING_MATERIAL = 2730;

// Root aspiration window around the previous iteration's score.
constexpr int ASPIRATION_WINDOW = 100;

// Move ordering bands.
constexpr std::int32_t ORDER_HASH = 1000000;
constexpr std::int32_t ORDER_MATE_KILLER = 900000;
constexpr std::int32_t ORDER_WINNING_CAPTURE = 800000;
constexpr std::int32_t ORDER_EVEN_CAPTURE = 750000;
constexpr std::int32_t ORDER_SAFE_CAPTURE = 600000;
constexpr std::int32_t ORDER_LOSING_CAPTURE = 550000;
constexpr std::int32_t ORDER_KILLER_1 = 500000;
constexpr std::int32_t ORDER_KILLER_2 = 400000;
constexpr std::int64_t ORDER_HISTORY_SCALE = 1000;
constexpr std::int32_t ORDER_QUIESCE_CAPTURE = 100000;
