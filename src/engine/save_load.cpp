#include "engine/save_load.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>

#include "common/common.h"
#include "engine/analyze.h"
#include "engine/define.h"
#include "engine/folders.h"
#include "platform/platform.h"

using Json = nlohmann::ordered_json;

namespace {
const char* kModule = "SaveLoad";
LoadDriversHandler gLoadDrivers = nullptr;

// ---------------------------------------------------------------------------
// Writing.

Json Text(const std::string& cp1252) {
  return Json(Cp1252ToUtf8(cp1252));
}

Json Pair(const int (&v)[2]) {
  return Json::array({v[0], v[1]});
}

Json Layer(const Grid& grid) {
  Json columns = Json::array();
  for (int x = 0; x < grid.cols; ++x) {
    Json column = Json::array();
    for (int y = 0; y < grid.rows; ++y) column.push_back(grid(x, y));
    columns.push_back(std::move(column));
  }
  return columns;
}

Json CarObject(const CarRecord& c) {
  Json j = Json::object();
  j["tile"] = c.tile;
  j["listInd"] = c.listInd;
  j["lane"] = c.lane;
  j["facing"] = c.facing;
  j["gear"] = c.gear;
  j["remaining"] = c.remaining;
  j["bonus"] = c.bonus;
  j["inCorner"] = c.inCorner;
  j["cornerExit"] = c.cornerExit;
  j["ORpermitted"] = c.ORpermitted;
  j["lap"] = c.lap;
  j["finished"] = c.finished;
  j["turns"] = static_cast<double>(c.turns);
  j["gear1"] = c.gear1;
  j["gear2"] = c.gear2;
  j["gear3"] = c.gear3;
  j["gear4"] = c.gear4;
  j["gear5"] = c.gear5;
  j["gearTop"] = c.gearTop;
  j["hb"] = c.hb;
  j["sharp"] = c.sharp;
  j["hairpin"] = c.hairpin;
  j["ors"] = c.ors;
  j["downShift"] = c.downShift;
  return j;
}

Json NodeObject(const NodeRecord& n) {
  Json j = Json::object();
  j["nodeX"] = n.nodeX;
  j["nodeY"] = n.nodeY;
  j["facing"] = n.facing;
  j["x"] = Pair(n.x);
  j["y"] = Pair(n.y);
  j["corner"] = n.corner;
  j["penalty"] = n.penalty;
  j["car"] = Json::array({Text(n.car[0]), Text(n.car[1])});
  j["distanceInMPs"] = n.distanceInMPs;
  j["nextCornerType"] = n.nextCornerType;
  j["cornerValue"] = n.cornerValue;
  j["lastCornerNode"] = n.lastCornerNode;
  return j;
}

Json CornerObject(const CornerRecord& c) {
  Json j = Json::object();
  j["entryNode"] = c.entryNode;
  j["rank"] = c.rank;
  j["type"] = c.type;
  j["following"] = c.following;
  j["preceding"] = c.preceding;
  j["value"] = c.value;
  return j;
}

Json Strings(const std::vector<std::string>& list) {
  Json j = Json::array();
  for (const std::string& s : list) j.push_back(Text(s));
  return j;
}

// Compact output; the one fractional number ("turns") is written as "%.10g"
// would write it, and as null when it is not finite.
void Write(const Json& v, std::string& out) {
  switch (v.type()) {
    case Json::value_t::object: {
      out += '{';
      bool first = true;
      for (auto it = v.begin(); it != v.end(); ++it) {
        if (!first) out += ',';
        first = false;
        out += Json(it.key()).dump();
        out += ':';
        Write(it.value(), out);
      }
      out += '}';
      break;
    }
    case Json::value_t::array: {
      out += '[';
      for (size_t i = 0; i < v.size(); ++i) {
        if (i) out += ',';
        Write(v[i], out);
      }
      out += ']';
      break;
    }
    case Json::value_t::number_float: {
      double d = v.get<double>();
      if (!std::isfinite(d)) {
        out += "null";
      } else {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.10g", d);
        out += buffer;
      }
      break;
    }
    default:
      out += v.dump();
  }
}

// ---------------------------------------------------------------------------
// Reading. Every member is checked for its type and range; a bad one is a
// fatal error naming the member.

[[noreturn]] void Invalid(const std::string& where, const std::string& expected, int line) {
  Fatal("invalid JSON member: " + where + " (" + expected + ")", kModule, "Load", line);
}

int ReadInt(const Json& v, const std::string& where) {
  if (v.is_number_unsigned()) {
    if (v.get<unsigned long long>() <= INT32_MAX)
      return static_cast<int>(v.get<unsigned long long>());
  } else if (v.is_number_integer()) {
    long long n = v.get<long long>();
    if (n >= INT32_MIN && n <= INT32_MAX) return static_cast<int>(n);
  }
  Invalid(where, "32-bit integer expected", __LINE__);
}

std::string ReadText(const Json& v, const std::string& where) {
  if (!v.is_string()) Invalid(where, "string expected", __LINE__);
  return Utf8ToCp1252(v.get<std::string>());
}

void ReadPair(const Json& v, int (&out)[2], const std::string& where) {
  if (!v.is_array() || v.size() != 2) Invalid(where, "array of 2 integers expected", __LINE__);
  out[0] = ReadInt(v[0], where + "[0]");
  out[1] = ReadInt(v[1], where + "[1]");
}

const Json& ReadObject(const Json& v, const std::string& where) {
  if (!v.is_object()) Invalid(where, "object expected", __LINE__);
  return v;
}

const Json& ReadArray(const Json& v, const std::string& where) {
  if (!v.is_array()) Invalid(where, "array expected", __LINE__);
  return v;
}

// Reads the members a record has; the others are ignored, missing ones stay 0.
struct Fields {
  const Json& object;
  std::string where;
  void Int(const char* name, int& field) const {
    auto it = object.find(name);
    if (it != object.end()) field = ReadInt(*it, where + "." + name);
  }
  void Text(const char* name, std::string& field) const {
    auto it = object.find(name);
    if (it != object.end()) field = ReadText(*it, where + "." + name);
  }
  void Pair(const char* name, int (&field)[2]) const {
    auto it = object.find(name);
    if (it != object.end()) ReadPair(*it, field, where + "." + name);
  }
};

CarRecord ReadCar(const Json& v, const std::string& where) {
  CarRecord c;
  c.listInd = c.lane = c.facing = 0;  // a missing member reads 0
  Fields f{ReadObject(v, where), where};
  f.Int("tile", c.tile);
  f.Int("listInd", c.listInd);
  f.Int("lane", c.lane);
  f.Int("facing", c.facing);
  f.Int("gear", c.gear);
  f.Int("remaining", c.remaining);
  f.Int("bonus", c.bonus);
  f.Int("inCorner", c.inCorner);
  f.Int("cornerExit", c.cornerExit);
  f.Int("ORpermitted", c.ORpermitted);
  f.Int("lap", c.lap);
  f.Int("finished", c.finished);
  auto turns = v.find("turns");
  if (turns != v.end()) {
    if (turns->is_null())
      c.turns = std::numeric_limits<float>::quiet_NaN();
    else if (turns->is_number())
      c.turns = static_cast<float>(turns->get<double>());
    else
      Invalid(where + ".turns", "number expected", __LINE__);
  }
  f.Int("gear1", c.gear1);
  f.Int("gear2", c.gear2);
  f.Int("gear3", c.gear3);
  f.Int("gear4", c.gear4);
  f.Int("gear5", c.gear5);
  f.Int("gearTop", c.gearTop);
  f.Int("hb", c.hb);
  f.Int("sharp", c.sharp);
  f.Int("hairpin", c.hairpin);
  f.Int("ors", c.ors);
  f.Int("downShift", c.downShift);
  return c;
}

TrackRecord ReadTrack(const Json& v, const std::string& where) {
  TrackRecord t;
  Fields f{ReadObject(v, where), where};
  f.Text("facing", t.facing);
  f.Pair("x", t.x);
  f.Pair("y", t.y);
  return t;
}

NodeRecord ReadNode(const Json& v, const std::string& where) {
  NodeRecord n;
  Fields f{ReadObject(v, where), where};
  f.Int("nodeX", n.nodeX);
  f.Int("nodeY", n.nodeY);
  f.Int("facing", n.facing);
  f.Pair("x", n.x);
  f.Pair("y", n.y);
  f.Int("corner", n.corner);
  f.Int("penalty", n.penalty);
  auto cars = v.find("car");
  if (cars != v.end()) {
    if (!cars->is_array() || cars->size() != 2)
      Invalid(where + ".car", "array of 2 strings expected", __LINE__);
    n.car[0] = ReadText((*cars)[0], where + ".car[0]");
    n.car[1] = ReadText((*cars)[1], where + ".car[1]");
  }
  f.Int("distanceInMPs", n.distanceInMPs);
  f.Int("nextCornerType", n.nextCornerType);
  f.Int("cornerValue", n.cornerValue);
  f.Int("lastCornerNode", n.lastCornerNode);
  return n;
}

StandingRecord ReadStanding(const Json& v, const std::string& where) {
  StandingRecord s;
  Fields f{ReadObject(v, where), where};
  f.Text("car", s.car);
  f.Int("lap", s.lap);
  f.Int("listInd", s.listInd);
  f.Int("lane", s.lane);
  return s;
}

CornerRecord ReadCorner(const Json& v, const std::string& where) {
  CornerRecord c;
  Fields f{ReadObject(v, where), where};
  f.Int("entryNode", c.entryNode);
  f.Int("rank", c.rank);
  f.Int("type", c.type);
  f.Int("following", c.following);
  f.Int("preceding", c.preceding);
  f.Int("value", c.value);
  return c;
}

DriverRecord ReadDriver(const Json& v, const std::string& where) {
  DriverRecord d;
  Fields f{ReadObject(v, where), where};
  f.Text("name", d.name);
  f.Int("skill", d.skill);
  f.Int("style", d.style);
  f.Int("points", d.points);
  f.Text("lastTime", d.lastTime);
  f.Int("user", d.user);
  return d;
}

template <typename Record>
std::vector<Record> ReadList(const Json& v, const std::string& name,
                             Record (*read)(const Json&, const std::string&)) {
  std::vector<Record> list;
  const Json& array = ReadArray(v, name);
  list.reserve(array.size());
  for (size_t i = 0; i < array.size(); ++i)
    list.push_back(read(array[i], name + "[" + Decimal(i) + "]"));
  return list;
}

std::vector<std::string> ReadStrings(const Json& v, const std::string& name) {
  std::vector<std::string> list;
  const Json& array = ReadArray(v, name);
  for (size_t i = 0; i < array.size(); ++i)
    list.push_back(ReadText(array[i], name + "[" + Decimal(i) + "]"));
  return list;
}

// A layer: columns (outer) of rows (inner), all of one length, each cell -1
// (empty) or a cell of the tile set.
Grid ReadLayer(const Json& v, const std::string& name) {
  const std::string shape = "array of 1 to " + Decimal(kMaxGridSize) + " columns of 1 to " +
                            Decimal(kMaxGridSize) + " integers expected";
  if (!v.is_array() || v.empty() || v.size() > kMaxGridSize) Invalid(name, shape, __LINE__);
  if (!v[0].is_array() || v[0].empty() || v[0].size() > kMaxGridSize)
    Invalid(name + "[0]", shape, __LINE__);
  Grid grid;
  grid.Resize(static_cast<int>(v.size()), static_cast<int>(v[0].size()), -1);
  for (int x = 0; x < grid.cols; ++x) {
    std::string column = name + "[" + Decimal(x) + "]";
    if (!v[x].is_array() || v[x].size() != static_cast<size_t>(grid.rows))
      Invalid(column, "array of " + Decimal(grid.rows) + " integers expected, like " + name + "[0]",
              __LINE__);
    for (int y = 0; y < grid.rows; ++y) {
      std::string cell = column + "[" + Decimal(y) + "]";
      int value = ReadInt(v[x][y], cell);
      if (value < -1 || value >= kSheetCells) Invalid(cell, "cell -1 to 87 expected", __LINE__);
      grid(x, y) = value;
    }
  }
  return grid;
}

// How deeply arrays and objects nest, outside strings. The reader copies
// nested values recursively, so a hostile file nested thousands deep would
// exhaust the stack; a race document nests four deep.
constexpr int kMaxNesting = 32;
bool NestsTooDeep(const std::string& bytes) {
  int depth = 0;
  bool inString = false;
  for (size_t i = 0; i < bytes.size(); ++i) {
    char c = bytes[i];
    if (inString) {
      if (c == '\\')
        ++i;
      else if (c == '"')
        inString = false;
    } else if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > kMaxNesting) return true;
    } else if (c == ']' || c == '}') {
      --depth;
    }
  }
  return false;
}

const Json& Required(const Json& root, const char* name, int line) {
  auto it = root.find(name);
  if (it == root.end()) Fatal("missing JSON member", kModule, "Load", line);
  return *it;
}

// The places the cars of a loaded race will be put back on: every one on the
// rebuilt lap, in a lane, one car to a place, and every standing a known car.
void CheckCarPlaces(bool fileHasCars, bool fileHasStanding) {
  const int nodes = static_cast<int>(Node().size());
  const std::string range = "-1 to " + Decimal(nodes - 1) + " expected";
  if (fileHasCars)
    for (const auto& [key, car] : Car()) {
      if (car.listInd < -1 || car.listInd >= nodes)
        Invalid("Car." + key + ".listInd", "node " + range, __LINE__);
      if (car.lane < -1 || car.lane > 1)
        Invalid("Car." + key + ".lane", "lane -1 to 1 expected", __LINE__);
    }
  if (!fileHasStanding) return;
  std::set<std::pair<int, int>> places;
  std::set<std::string> keys;
  for (size_t i = 0; i < Standing().size(); ++i) {
    const StandingRecord& s = Standing()[i];
    std::string where = "Standing[" + Decimal(i) + "]";
    auto it = Car().find(s.car);
    if (it == Car().end())
      Invalid(where + ".car", "a car of the \"Car\" member expected", __LINE__);
    if (!keys.insert(s.car).second)
      Invalid(where + ".car", "each car once in the running order expected", __LINE__);
    if (s.listInd < 0 || s.listInd >= nodes)
      Invalid(where + ".listInd", "node 0 to " + Decimal(nodes - 1) + " expected", __LINE__);
    if (s.lane < 0 || s.lane > 1) Invalid(where + ".lane", "lane 0 or 1 expected", __LINE__);
    const CarRecord& car = it->second;
    std::string carWhere = "Car." + s.car;
    if (car.listInd < 0 || car.listInd >= nodes)
      Invalid(carWhere + ".listInd",
              "node 0 to " + Decimal(nodes - 1) + " for a car in the running order expected",
              __LINE__);
    if (car.lane < 0 || car.lane > 1)
      Invalid(carWhere + ".lane", "lane 0 or 1 for a car in the running order expected", __LINE__);
    if (!places.insert({car.listInd, car.lane}).second)
      Invalid(carWhere,
              "a place of its own (node " + Decimal(car.listInd) + ", lane " + Decimal(car.lane) +
                  ") expected",
              __LINE__);
  }
}
}  // namespace

void SetLoadDriversHandler(LoadDriversHandler handler) {
  gLoadDrivers = handler;
}

namespace {
Json TrackTable() {
  Json track = Json::array();
  for (const TrackRecord& t : Track())
    track.push_back(Json{{"facing", Text(t.facing)}, {"x", Pair(t.x)}, {"y", Pair(t.y)}});
  return track;
}

Json NodeList() {
  Json nodes = Json::array();
  for (const NodeRecord& n : Node()) nodes.push_back(NodeObject(n));
  return nodes;
}

Json CornerList() {
  Json corners = Json::array();
  for (const CornerRecord& c : Corner()) corners.push_back(CornerObject(c));
  return corners;
}

std::string Written(const Json& root) {
  std::string out;
  Write(root, out);
  return out;
}
}  // namespace

std::string CircuitDocument() {
  Json root = Json::object();
  root["Base"] = Layer(Base());
  root["Middle"] = Layer(Middle());
  root["Top"] = Layer(Top());
  root["Track"] = TrackTable();
  return Written(root);
}

std::string TrackDocument() {
  Json root = Json::object();
  root["Node"] = NodeList();
  root["Corner"] = CornerList();
  return Written(root);
}

std::string SaveDocument() {
  Json root = Json::object();
  root["Base"] = Layer(Base());
  root["Middle"] = Layer(Middle());
  root["Top"] = Layer(Top());
  Json cars = Json::object();
  for (const auto& [key, car] : Car()) cars[Cp1252ToUtf8(key)] = CarObject(car);
  root["Car"] = std::move(cars);
  root["Track"] = TrackTable();
  root["Node"] = NodeList();
  Json standing = Json::array();
  for (const StandingRecord& s : Standing())
    standing.push_back(
        Json{{"car", Text(s.car)}, {"lap", s.lap}, {"listInd", s.listInd}, {"lane", s.lane}});
  root["Standing"] = std::move(standing);
  bool current =
      gRace.currentStanding >= 0 && static_cast<size_t>(gRace.currentStanding) < Standing().size();
  root["StandingLI"] = current ? gRace.currentStanding : -1;
  root["Corner"] = CornerList();
  root["OrderOfFinish"] = Strings(OrderOfFinish());
  root["DNF"] = Strings(DNF());
  root["Laps"] = gProg.laps;
  Json drivers = Json::object();
  for (const auto& [key, d] : Driver())
    drivers[Cp1252ToUtf8(key)] = Json{{"name", Text(d.name)},
                                      {"skill", d.skill},
                                      {"style", d.style},
                                      {"points", d.points},
                                      {"lastTime", Text(d.lastTime)},
                                      {"user", d.user}};
  root["Driver"] = std::move(drivers);
  root["GridOn"] = gProg.gridOn;
  root["AutoMode"] = gProg.autoMode;
  root["CenterMode"] = gProg.centerMode;
  return Written(root);
}

void Save(const std::filesystem::path& file) {
  std::string document = SaveDocument();
  if (!PlatWriteFileAtomic(file, document))
    FATAL("could not save: " + file.string(), kModule, "Save");
}

void Load(const std::filesystem::path& file) {
  if (PlatFileSize(file) == kFileMissing)
    FATAL("could not find file: " + file.string(), kModule, "Load");
  std::string bytes;
  if (!PlatReadFile(file, bytes))
    FATAL("could not load JSON file: " + file.string(), kModule, "Load");
  Json root =
      NestsTooDeep(bytes) ? Json(Json::value_t::discarded) : Json::parse(bytes, nullptr, false);
  if (root.is_discarded()) FATAL("could not load JSON file: " + file.string(), kModule, "Load");
  if (!root.is_object()) FATAL("could not get JSON value", kModule, "Load");

  Base() = ReadLayer(Required(root, "Base", __LINE__), "Base");
  gProg.scrollX = 0;
  gProg.scrollY = 0;
  gProg.maxScrollX = Max(Base().cols * kTileSize - gProg.trackViewWidth - 1, 0);
  gProg.maxScrollY = Max(Base().rows * kTileSize - PlatScreenHeight() - 1, 0);
  Middle() = ReadLayer(Required(root, "Middle", __LINE__), "Middle");
  Top() = ReadLayer(Required(root, "Top", __LINE__), "Top");
  for (const char* name : {"Middle", "Top"}) {
    const Grid& layer = std::string(name) == "Middle" ? Middle() : Top();
    if (layer.cols != Base().cols || layer.rows != Base().rows)
      Invalid(name,
              Decimal(Base().cols) + " columns of " + Decimal(Base().rows) +
                  " rows like \"Base\" expected",
              __LINE__);
  }

  auto member = [&](const char* name) -> const Json* {
    auto it = root.find(name);
    return it == root.end() ? nullptr : &*it;
  };
  const Json* cars = member("Car");
  if (cars) {
    std::map<std::string, CarRecord> table;
    for (auto it = ReadObject(*cars, "Car").begin(); it != cars->end(); ++it) {
      std::string key = Utf8ToCp1252(it.key());
      table[key] = ReadCar(it.value(), "Car." + key);
    }
    Car() = std::move(table);
    gRace.currentCar.clear();
  }
  if (const Json* v = member("Track")) Track() = ReadList(*v, "Track", ReadTrack);
  if (const Json* v = member("Node")) Node() = ReadList(*v, "Node", ReadNode);
  const Json* standing = member("Standing");
  if (standing) {
    Standing() = ReadList(*standing, "Standing", ReadStanding);
    int index = ReadInt(Required(root, "StandingLI", __LINE__), "StandingLI");
    // -1 (no current car) is what a save without a running order writes.
    bool none = index == -1 && Standing().empty();
    if (!none && !SelectStanding(index)) FATAL("invalid list index", kModule, "Load");
    if (none) gRace.currentStanding = -1;
  }
  if (const Json* v = member("Corner")) Corner() = ReadList(*v, "Corner", ReadCorner);
  if (const Json* v = member("OrderOfFinish")) OrderOfFinish() = ReadStrings(*v, "OrderOfFinish");
  if (const Json* v = member("DNF")) DNF() = ReadStrings(*v, "DNF");
  if (const Json* v = member("Laps")) gProg.laps = ReadInt(*v, "Laps");
  if (const Json* drivers = member("Driver")) {
    std::map<std::string, DriverRecord> table;
    for (auto it = ReadObject(*drivers, "Driver").begin(); it != drivers->end(); ++it) {
      std::string key = Utf8ToCp1252(it.key());
      table[key] = ReadDriver(it.value(), "Driver." + key);
    }
    Driver() = std::move(table);
  } else if (gLoadDrivers) {
    gLoadDrivers();
  }
  if (const Json* v = member("GridOn")) gProg.gridOn = ReadInt(*v, "GridOn");
  if (const Json* v = member("AutoMode")) gProg.autoMode = ReadInt(*v, "AutoMode");
  if (const Json* v = member("CenterMode")) gProg.centerMode = ReadInt(*v, "CenterMode");

  BuildTrack();
  CheckCarPlaces(cars != nullptr, standing != nullptr);
  gRace.currentNode = -1;

  std::string name = file.stem().string();
  LoadCircuitLabels(CircuitFolderFor(name) / (name + " SL.txt"));
}
