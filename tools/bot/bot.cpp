// The bot: a time-expanded search over the frog's hops and waits against the predicted traffic.
//
// A snapshot of the board turns every car and log into a straight-line
// mover (its position after m lane moves is start + m x velocity, up to the
// move that takes it off the board); the traffic effects and the frog's
// speed effects are laid out step by step from their timers. The search
// then simulates the frog step by step as the rules do (hop progress,
// landing test, squash test, riding test, water test, drift), expanding
// "wait 4 steps" and the four hops from every standing point, in time
// order, and keeps the first way home, or else the one that stays alive to
// the horizon nearest the home row; of two ways to the same place it keeps
// the one that went forward sooner. Cars not yet on the board are assumed
// anywhere between their spawn cell and as far as they could have come
// since the spawner may next spawn, and a bonus that would change a speed
// counts as a death. The plan is followed until the board stops matching
// the snapshot (a new car or log, a bonus effect), then made again.
#include "tools/bot/bot.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <queue>
#include <unordered_map>
#include <vector>

#include "game/game_state.h"
#include "game/motion.h"
#include "world/world_tables.h"

namespace {

constexpr int kHorizon = 640;      // steps a search looks ahead
constexpr int kWaitSteps = 4;      // the shortest wait the search considers
constexpr int kMaxNodes = 40000;   // expansions per search
constexpr int kSteps = kHorizon + 2 * MOTION_HOP_STEPS + 8;  // steps the per-step tables cover
constexpr float kTolerance = 0.05f;

// A car or log as a straight-line mover.
struct Mover {
  float x, z, vx, vz;  // position now and per lane move
  float speed;         // per lane move along its direction
  float xs, zs;        // squash half-lengths (cars)
  int dir;
  int row;             // logs: the row of the riding test
  int index;           // record index
  int exit_moves;      // the lane move that takes it off the board (it is still tested then)
};

// A car that may appear at a spawn cell from step `earliest` on.
struct Phantom {
  float x, z, vx, vz, xs, zs;
  int dir, earliest;
};

// The frog as the simulation needs it.
struct SimFrog {
  float x, z;
  int col, row;
  int hop_dir, hop_counter;
  float hop_step;
  int log_index;
};

enum Outcome { ALIVE, DEAD, HOME };

// A bonus the frog should not pick up: it would change the frog's or the
// traffic's speed (or is a mystery), which the plan does not foresee.
struct Hazard {
  int col, row;
  float x, z;
};

struct Snapshot {
  std::vector<Mover> cars, logs;
  std::vector<Hazard> bonuses;
  std::vector<Phantom> phantoms;
  int cum[kSteps + 1];       // lane moves done after step j (cum[j + 1]); cum[0] = 0
  int frozen[kSteps];        // traffic frozen in step j
  int can_move[kSteps];      // the frog's can_move in step j's hop progress
  int fast[kSteps];          // two hop progresses in step j
  int invincible[kSteps];
  int s;
  int water, home;
};

struct Node {
  SimFrog frog;
  int k;       // the step whose hop test comes next
  int parent;  // node index, -1 for the root
  int code;    // action from the parent: 0 wait, else the hop's code
  int64_t area;  // rows times steps on the way here: smaller when the frog went forward sooner
  int hops;      // hops on the way here
};

// Of two ways to one place the one that went forward sooner, then the one with fewer hops, is kept.
bool sooner(const Node& a, const Node& b) { return a.area != b.area ? a.area < b.area : a.hops < b.hops; }

struct Plan {
  std::vector<int> codes;   // code to give at each step from the plan's base
  std::vector<float> fx, fz;  // the frog expected at each decision step (NaN elsewhere)
  int base_step = 0;        // bot step counter at the plan's step 0
  int valid = 0;
};

struct BotState {
  int step = 0;  // calls since reset
  Plan plan;
  Snapshot snap;
  // What the snapshot foresaw, to notice spawns and effects the plan did not.
  int expect_base = 0;
  int expect_traffic_effect = 0, expect_speed_effect = 0, expect_invincible = 0;
  BOT_STATS stats{};
};
BotState s_bot;

// ---------------------------------------------------------------- board

const CELL* cell_at(int col, int row) {
  const CELL* c = World_Cell(col, row);
  return c && c->tile != 0 ? c : nullptr;
}

// The first lane move (counting from now) that puts the mover over a missing cell.
int exit_moves(float x, float z, float vx, float vz, int s) {
  for (int m = 0; m < 4000; m++) {
    const double px = x + vx * static_cast<float>(m), pz = z + vz * static_cast<float>(m);
    if (!cell_at(World_Trunc(px / s), World_Trunc(pz / s))) return m;
    if (vx == 0.0f && vz == 0.0f) break;
  }
  return 4000;
}

void velocity(int dir, float speed, float* vx, float* vz) {
  *vx = dir == LANE_RIGHT ? speed : dir == LANE_LEFT ? -speed : 0.0f;
  *vz = dir == LANE_DOWN ? speed : dir == LANE_UP ? -speed : 0.0f;
}

void take_snapshot(Snapshot* sn) {
  const GameState& gs = g_game;
  sn->s = World_Cell_Unit();
  sn->water = gs.water_tile;
  sn->home = gs.home_tile;
  sn->cars.clear();
  sn->logs.clear();
  sn->phantoms.clear();
  sn->bonuses.clear();
  for (int i = 0; i < gs.bonus_spot_count && i < GAME_BONUS_SPOTS; i++) {
    const BONUS& b = gs.bonus_spots[i];
    // The type shows in the bonus's picture; time, points and invincibility are harmless.
    if ((b.phase == 1 || b.phase == 2) && b.type != 0 && b.type != 3 && b.type != 7)
      sn->bonuses.push_back(Hazard{b.col, b.row, b.x, b.z});
  }
  float max_xs = 0, max_zs = 0;
  const int types = std::clamp(gs.different_cars, 1, GAME_CAR_TYPES);
  for (int t = 0; t < types; t++) {
    max_xs = std::max(max_xs, static_cast<float>(gs.car_x_size[t]));
    max_zs = std::max(max_zs, static_cast<float>(gs.car_z_size[t]));
  }
  for (int i = 0; i < GAME_CARS; i++) {
    const TRAFFIC& t = gs.cars[i];
    if (!t.active) continue;
    Mover m{};
    m.x = t.x;
    m.z = t.z;
    velocity(t.direction, t.speed, &m.vx, &m.vz);
    const int type = std::clamp(t.car_type, 0, GAME_CAR_TYPES - 1);
    m.xs = static_cast<float>(gs.car_x_size[type]);
    m.zs = static_cast<float>(gs.car_z_size[type]);
    m.dir = t.direction;
    m.index = i;
    m.exit_moves = exit_moves(m.x, m.z, m.vx, m.vz, sn->s);
    sn->cars.push_back(m);
  }
  for (int i = 0; i < GAME_LOGS; i++) {
    const TRAFFIC& t = gs.logs[i];
    if (!t.active || (t.direction != LANE_RIGHT && t.direction != LANE_LEFT)) continue;
    Mover m{};
    m.x = t.x;
    m.z = t.z;
    velocity(t.direction, t.speed, &m.vx, &m.vz);
    m.speed = t.speed;
    m.dir = t.direction;
    m.row = t.row;
    m.index = i;
    m.exit_moves = exit_moves(m.x, m.z, m.vx, m.vz, sn->s);
    sn->logs.push_back(m);
  }
  // New cars: a spawner is quiet for its arrow's pause after its last car;
  // the nearest car ahead of it on its line tells how long ago that was.
  for (int i = 0; i < gs.car_spawner_count && i < GAME_SPAWNERS; i++) {
    const SPAWNER& sp = gs.car_spawners[i];
    if (sp.arrow < 0 || sp.arrow >= GAME_CAR_ARROWS) continue;
    const ARROW& a = gs.car_arrows[sp.arrow];
    Phantom p{};
    // Cars run where the frog stands in their row.
    p.x = motion_column_x(sp.col);
    p.z = motion_row_z(sp.row);
    velocity(sp.direction, a.speed, &p.vx, &p.vz);
    p.xs = max_xs;
    p.zs = max_zs;
    p.dir = sp.direction;
    p.earliest = 0;
    float nearest = -1;
    for (const Mover& m : sn->cars) {
      if (m.dir != sp.direction) continue;
      const bool along_x = m.dir == LANE_RIGHT || m.dir == LANE_LEFT;
      if (along_x ? std::fabs(m.z - p.z) > 0.5f : std::fabs(m.x - p.x) > 0.5f) continue;
      const float d = along_x ? (m.x - p.x) * (p.vx > 0 ? 1.0f : -1.0f) : (m.z - p.z) * (p.vz > 0 ? 1.0f : -1.0f);
      if (d >= -0.01f && (nearest < 0 || d < nearest)) nearest = d;
    }
    if (nearest >= 0 && a.speed > 0) {
      const int moved = static_cast<int>(std::lround(nearest / a.speed));
      p.earliest = std::max(0, a.pause - moved - 2);
    }
    sn->phantoms.push_back(p);
  }
  // Step by step: the effects' timers count down at the start of each step's lanes.
  int traffic = gs.traffic_effect, traffic_timer = gs.traffic_effect_timer;
  int speed = gs.speed_effect, speed_timer = gs.speed_effect_timer, can_move = gs.frog.can_move;
  int inv = gs.invincible, inv_timer = gs.invincible_timer;
  sn->cum[0] = 0;
  for (int j = 0; j < kSteps; j++) {
    sn->can_move[j] = can_move;
    sn->fast[j] = speed == SPEED_FAST;
    if (inv && --inv_timer <= 0) inv = 0;
    sn->invincible[j] = inv;
    if (speed == SPEED_SLOW) can_move = !can_move;
    if (speed != SPEED_NORMAL && --speed_timer <= 0) {
      can_move = 1;
      speed = SPEED_NORMAL;
    }
    if (traffic != TRAFFIC_NORMAL && --traffic_timer <= 0) traffic = TRAFFIC_NORMAL;
    sn->frozen[j] = traffic == TRAFFIC_FROZEN;
    sn->cum[j + 1] = sn->cum[j] + (traffic == TRAFFIC_FROZEN ? 0 : traffic == TRAFFIC_DOUBLE ? 2 : 1);
  }
}

// ---------------------------------------------------------------- one step

bool squashed_by(const Mover& c, float m, float fx, float fz) {
  return motion_squashes(c.dir, c.x + c.vx * m, c.z + c.vz * m, c.xs, c.zs, fx, fz);
}

// A car only ever moves along its lane: one that is too far across it
// from the frog now never squashes it in this step, whatever its moves.
bool in_lane_of(const Mover& c, float fx, float fz) {
  if (c.dir == LANE_UP || c.dir == LANE_DOWN) return std::fabs(c.x - fx) < MOTION_SQUASH_SIDE;
  return std::fabs(c.z - fz) < MOTION_SQUASH_BAND;
}

bool phantom_hits(const Snapshot& sn, const Phantom& p, int j, float fx, float fz) {
  if (j < p.earliest || sn.frozen[j]) return false;
  // Spawned at any step from `earliest` to j: anywhere from the spawn cell
  // to as far as the lane moves since `earliest` take it.
  const float reach = static_cast<float>(sn.cum[j + 1] - sn.cum[p.earliest]);
  if (p.dir == LANE_UP || p.dir == LANE_DOWN) {
    if (std::fabs(p.x - fx) >= MOTION_SQUASH_SIDE) return false;
    const float a = p.z, b = p.z + p.vz * reach;
    return fz > std::min(a, b) - p.zs && fz < std::max(a, b) + p.zs;
  }
  if (std::fabs(p.z - fz) >= MOTION_SQUASH_BAND) return false;
  const float a = p.x, b = p.x + p.vx * reach;
  return fx > std::min(a, b) - p.xs && fx < std::max(a, b) + p.xs;
}

// Step j's hop progress and lanes (the part of a step before the hop test).
Outcome step_before_hop_test(const Snapshot& sn, SimFrog& f, int j) {
  const int updates = sn.fast[j] ? 2 : 1;
  for (int u = 0; u < updates; u++) {
    if (f.hop_dir == 0 || !sn.can_move[j]) break;
    if (motion_hop_advance(f.hop_dir, f.hop_step, &f.hop_counter, &f.x, &f.z)) {
      f.hop_dir = 0;
      f.hop_counter = 0;
      motion_cell_of(f.x, f.z, &f.col, &f.row);
      const int tile = motion_tile_at(f.x, f.z);
      if (tile != 0 && tile == sn.water && f.log_index == 0 && !sn.invincible[j]) return DEAD;
      if (tile != 0 && tile == sn.home) return HOME;
    }
  }
  motion_cell_of(f.x, f.z, &f.col, &f.row);
  for (const Hazard& b : sn.bonuses)
    if (b.col == f.col && b.row == f.row && std::fabs(b.x - f.x) < MOTION_PICK_UP_REACH &&
        std::fabs(b.z - f.z) < MOTION_PICK_UP_REACH)
      return DEAD;
  f.log_index = 0;
  const int before = sn.cum[j], after = sn.cum[j + 1];
  for (const Mover& c : sn.cars) {
    if (before >= c.exit_moves) continue;  // taken off the board at an earlier step
    if (!in_lane_of(c, f.x, f.z)) continue;
    if (sn.frozen[j]) {
      if (squashed_by(c, static_cast<float>(after), f.x, f.z)) return DEAD;
      continue;
    }
    for (int m = before + 1; m <= after && m <= c.exit_moves; m++)
      if (squashed_by(c, static_cast<float>(m), f.x, f.z)) return DEAD;
  }
  for (const Phantom& p : sn.phantoms)
    if (phantom_hits(sn, p, j, f.x, f.z)) return DEAD;
  for (const Mover& l : sn.logs) {
    if (before >= l.exit_moves || l.row != f.row) continue;
    const float lx = l.x + l.vx * static_cast<float>(after);
    if (motion_rides(lx, f.x)) f.log_index = std::max(f.log_index, l.index);
  }
  return ALIVE;
}

const Mover* log_by_index(const Snapshot& sn, int index) {
  for (const Mover& l : sn.logs)
    if (l.index == index) return &l;
  return nullptr;
}

// Step j after the hop test: drowning off a log, or the drift of a ridden frog.
Outcome step_after_hop_test(const Snapshot& sn, SimFrog& f, int j) {
  if (f.hop_dir != 0) return ALIVE;
  if (f.log_index == 0) {
    const int tile = motion_tile_at(f.x, f.z);
    if (tile != 0 && tile == sn.water && !sn.invincible[j]) return DEAD;
    return ALIVE;
  }
  if (sn.frozen[j]) return ALIVE;
  const Mover* l = log_by_index(sn, f.log_index);
  if (!l) return ALIVE;
  f.x = motion_drift(f.x, f.z, l->dir, l->speed, sn.cum[j + 1] - sn.cum[j] == 2);
  return ALIVE;
}

// The hop test of a step: starts a hop in direction `code` when the rules would.
bool start_hop(SimFrog& f, int code) {
  if (!motion_hop_allowed(f.col, f.row, code)) return false;
  f.hop_dir = code;
  f.hop_counter = 0;
  float target_x = 0, target_z = 0;
  motion_hop_target(f.col, f.row, code, &target_x, &target_z);
  f.hop_step = motion_hop_step(code, f.x, f.z, target_x, target_z);
  return true;
}

// ---------------------------------------------------------------- search

uint64_t node_key(const Node& n) {
  const uint64_t k = static_cast<uint64_t>(n.k) & 0xFFFF;
  const uint64_t x = static_cast<uint64_t>(std::lround(n.frog.x * 4.0f) + 100000) & 0xFFFFF;
  const uint64_t z = static_cast<uint64_t>(std::lround(n.frog.z * 4.0f) + 100000) & 0xFFFFF;
  return (k << 40) | (x << 20) | z;
}

// Expands `code` (0: wait) from `from`; fills `out` with the next standing point.
Outcome expand(const Snapshot& sn, const Node& from, int code, Node* out) {
  SimFrog f = from.frog;
  int j = from.k;
  if (code != 0 && !start_hop(f, code)) return DEAD;
  const int limit = code == 0 ? kWaitSteps : 4 * MOTION_HOP_STEPS + 4;
  for (int n = 0;; n++) {
    if (step_after_hop_test(sn, f, j) == DEAD) return DEAD;
    j++;
    if (j >= kSteps) return DEAD;
    const Outcome o = step_before_hop_test(sn, f, j);
    if (o != ALIVE) {
      out->frog = f;
      out->k = j;
      return o;
    }
    if (f.hop_dir == 0 && (code != 0 || n + 1 >= kWaitSteps)) break;
    if (n > limit) return DEAD;
  }
  out->frog = f;
  out->k = j;
  return ALIVE;
}

void make_plan(const Snapshot& sn, const SimFrog& root_frog) {
  std::vector<Node> nodes;
  nodes.reserve(4096);
  nodes.push_back(Node{root_frog, 0, -1, 0, 0, 0});
  auto later = [&nodes](int a, int b) { return nodes[a].k > nodes[b].k; };
  std::priority_queue<int, std::vector<int>, decltype(later)> open(later);
  std::unordered_map<uint64_t, int> seen;
  open.push(0);
  seen.emplace(node_key(nodes[0]), 0);
  int goal = -1, best = 0, expanded = 0;
  // Best: a standing point at the horizon nearest the home row; failing
  // that, the one that lives longest.
  auto better = [&](int a, int b) {
    const Node &na = nodes[a], &nb = nodes[b];
    const bool ha = na.k >= kHorizon, hb = nb.k >= kHorizon;
    if (ha != hb) return ha;
    if (ha) return na.frog.row != nb.frog.row ? na.frog.row < nb.frog.row : sooner(na, nb);
    return na.k != nb.k ? na.k > nb.k : na.frog.row < nb.frog.row;
  };
  while (!open.empty() && goal < 0 && expanded < kMaxNodes) {
    const int cur = open.top();
    open.pop();
    if (nodes[cur].k >= kHorizon) continue;
    expanded++;
    static constexpr int kOrder[5] = {0, BOT_UP, BOT_LEFT, BOT_RIGHT, BOT_DOWN};
    for (int code : kOrder) {
      Node next{};
      const Outcome o = expand(sn, nodes[cur], code, &next);
      if (o == DEAD) continue;
      next.parent = cur;
      next.code = code;
      next.hops = nodes[cur].hops + (code != 0);
      next.area = nodes[cur].area + static_cast<int64_t>(nodes[cur].frog.row) * (next.k - nodes[cur].k);
      if (o == HOME) {
        nodes.push_back(next);
        goal = static_cast<int>(nodes.size()) - 1;
        break;
      }
      const int idx = static_cast<int>(nodes.size());
      const auto [it, added] = seen.emplace(node_key(next), idx);
      if (!added) {
        Node& known = nodes[static_cast<size_t>(it->second)];
        if (sooner(next, known)) {  // the same place by a better way
          known.parent = cur;
          known.code = code;
          known.hops = next.hops;
          known.area = next.area;
        }
        continue;
      }
      nodes.push_back(next);
      if (better(idx, best)) best = idx;
      open.push(idx);
    }
  }
  s_bot.stats.plans++;
  s_bot.stats.nodes += expanded;
  if (goal >= 0) s_bot.stats.goal_plans++;
  const int end = goal >= 0 ? goal : best;
  Plan& p = s_bot.plan;
  p.codes.assign(static_cast<size_t>(nodes[end].k + 1), 0);
  p.fx.assign(p.codes.size(), NAN);
  p.fz.assign(p.codes.size(), NAN);
  for (int i = end; nodes[i].parent >= 0; i = nodes[i].parent) {
    const Node& parent = nodes[nodes[i].parent];
    p.codes[static_cast<size_t>(parent.k)] = nodes[i].code;
  }
  for (int i = end; i >= 0; i = nodes[i].parent) {
    p.fx[static_cast<size_t>(nodes[i].k)] = nodes[i].frog.x;
    p.fz[static_cast<size_t>(nodes[i].k)] = nodes[i].frog.z;
  }
  // Keep at least one step: a plan without any move still ends in a new search.
  p.valid = end > 0 || nodes.size() > 1;
}

// ---------------------------------------------------------------- following

SimFrog frog_now() {
  const FROG& g = g_game.frog;
  SimFrog f{};
  f.x = g.x;
  f.z = g.z;
  f.col = g.col;
  f.row = g.row;
  f.hop_dir = g.hop_dir;
  f.hop_counter = g.hop_counter;
  f.hop_step = g.hop_step;
  f.log_index = g.log_index;
  return f;
}

// True when the traffic on the board is what the snapshot foresaw for this step.
bool board_as_expected() {
  const GameState& gs = g_game;
  if (gs.traffic_effect != s_bot.expect_traffic_effect || gs.speed_effect != s_bot.expect_speed_effect ||
      gs.invincible != s_bot.expect_invincible)
    return false;
  const int j = s_bot.step - 1 - s_bot.expect_base;  // the step about to run, from the snapshot's
  if (j < 0 || j >= kSteps) return false;
  const Snapshot& sn = s_bot.snap;
  const float moved = static_cast<float>(sn.cum[j]);
  auto matches = [&](const TRAFFIC* records, int count, const std::vector<Mover>& movers, bool logs) {
    for (int i = 0; i < count; i++) {
      const TRAFFIC& t = records[i];
      if (!t.active || (logs && t.direction != LANE_RIGHT && t.direction != LANE_LEFT)) continue;
      const Mover* m = nullptr;
      for (const Mover& c : movers)
        if (c.index == i) m = &c;
      if (!m) return false;  // a new car or log
      if (std::fabs(m->x + m->vx * moved - t.x) > 0.5f || std::fabs(m->z + m->vz * moved - t.z) > 0.5f) return false;
    }
    return true;
  };
  return matches(gs.cars, GAME_CARS, sn.cars, false) && matches(gs.logs, GAME_LOGS, sn.logs, true);
}

}  // namespace

void bot_reset() {
  s_bot.step = 0;
  s_bot.plan = Plan();
  s_bot.stats = BOT_STATS{};
}

BOT_STATS bot_stats() { return s_bot.stats; }

int bot_choose() {
  const int now = s_bot.step++;
  const FROG& g = g_game.frog;
  if (g.state != FROG_PLAYING || !world_tables.world) {
    s_bot.plan.valid = 0;
    return BOT_NONE;
  }
  Plan& p = s_bot.plan;
  const int j = now - p.base_step;
  if (p.valid && j >= 0 && j < static_cast<int>(p.codes.size()) - 1 && board_as_expected()) {
    const size_t at = static_cast<size_t>(j);
    if (std::isnan(p.fx[at])) return p.codes[at];  // inside a hop or a wait
    // A standing point of the plan: go on when the frog stands where it was expected.
    SimFrog f = frog_now();
    if (step_before_hop_test(s_bot.snap, f, j) == ALIVE && f.hop_dir == 0 && std::fabs(p.fx[at] - f.x) < kTolerance &&
        std::fabs(p.fz[at] - f.z) < kTolerance)
      return p.codes[at];
  }
  // A new plan, from this step's hop test.
  Snapshot& sn = s_bot.snap;
  take_snapshot(&sn);
  s_bot.expect_base = now;
  s_bot.expect_traffic_effect = g_game.traffic_effect;
  s_bot.expect_speed_effect = g_game.speed_effect;
  s_bot.expect_invincible = g_game.invincible;
  SimFrog f = frog_now();
  if (step_before_hop_test(sn, f, 0) != ALIVE || f.hop_dir != 0) {
    p.valid = 0;  // still hopping (or lost): nothing to decide this step
    return BOT_NONE;
  }
  make_plan(sn, f);
  p.base_step = now;
  return p.valid ? p.codes[0] : BOT_NONE;
}
