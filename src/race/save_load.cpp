#include "race/save_load.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <nlohmann/json.hpp>
#include <set>

#include "common/common.h"
#include "race/analyze.h"
#include "race/define.h"
#include "race/folders.h"
#include "platform/services.h"

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

// ---------------------------------------------------------------------------
// The records, one table each: every field's member name beside the field,
// named once for both the writer and the checked reader. The order is the
// record's field order, which is the order the members are written in.

template <typename Io, typename Car>
void CarFields(Io& io, Car& c) {
  io("tile", c.tile);
  io("listInd", c.listInd);
  io("lane", c.lane);
  io("facing", c.facing);
  io("gear", c.gear);
  io("remaining", c.remaining);
  io("bonus", c.bonus);
  io("inCorner", c.inCorner);
  io("cornerExit", c.cornerExit);
  io("ORpermitted", c.ORpermitted);
  io("lap", c.lap);
  io("finished", c.finished);
  io("turns", c.turns);
  io("gear1", c.gear1);
  io("gear2", c.gear2);
  io("gear3", c.gear3);
  io("gear4", c.gear4);
  io("gear5", c.gear5);
  io("gearTop", c.gearTop);
  io("hb", c.hb);
  io("sharp", c.sharp);
  io("hairpin", c.hairpin);
  io("ors", c.ors);
  io("downShift", c.downShift);
}

template <typename Io, typename Track>
void TrackFields(Io& io, Track& t) {
  io("facing", t.facing);
  io("x", t.x);
  io("y", t.y);
}

template <typename Io, typename Node>
void NodeFields(Io& io, Node& n) {
  io("nodeX", n.nodeX);
  io("nodeY", n.nodeY);
  io("facing", n.facing);
  io("x", n.x);
  io("y", n.y);
  io("corner", n.corner);
  io("penalty", n.penalty);
  io("car", n.car);
  io("distanceInMPs", n.distanceInMPs);
  io("nextCornerType", n.nextCornerType);
  io("cornerValue", n.cornerValue);
  io("lastCornerNode", n.lastCornerNode);
}

template <typename Io, typename Standing>
void StandingFields(Io& io, Standing& s) {
  io("car", s.car);
  io("lap", s.lap);
  io("listInd", s.listInd);
  io("lane", s.lane);
}

template <typename Io, typename Corner>
void CornerFields(Io& io, Corner& c) {
  io("entryNode", c.entryNode);
  io("rank", c.rank);
  io("type", c.type);
  io("following", c.following);
  io("preceding", c.preceding);
  io("value", c.value);
}

template <typename Io, typename Driver>
void DriverFields(Io& io, Driver& d) {
  io("name", d.name);
  io("skill", d.skill);
  io("style", d.style);
  io("points", d.points);
  io("lastTime", d.lastTime);
  io("user", d.user);
}

// Writes each field it is shown as a member of one object.
struct RecordWriter {
  Json object = Json::object();
  void operator()(const char* name, const int& v) { object[name] = v; }
  void operator()(const char* name, const float& v) { object[name] = static_cast<double>(v); }
  void operator()(const char* name, const std::string& v) { object[name] = Text(v); }
  void operator()(const char* name, const int (&v)[2]) { object[name] = Pair(v); }
  void operator()(const char* name, const std::string (&v)[2]) {
    object[name] = Json::array({Text(v[0]), Text(v[1])});
  }
};

// No number of a record the game writes comes near this; a bigger one would
// only be there to make the race's arithmetic overflow.
constexpr int kLargestRecordNumber = 1000000;

int ReadRecordInt(const Json& v, const std::string& where) {
  int n = ReadInt(v, where);
  if (n < -kLargestRecordNumber || n > kLargestRecordNumber)
    Invalid(where,
            Decimal(-kLargestRecordNumber) + " to " + Decimal(kLargestRecordNumber) + " expected",
            __LINE__);
  return n;
}

// Reads each field it is shown from the member of that name, checked; a
// missing member reads 0 or empty, members the record lacks are ignored.
struct RecordReader {
  const Json& object;
  const std::string& where;
  const Json* Find(const char* name) const {
    auto it = object.find(name);
    return it == object.end() ? nullptr : &*it;
  }
  std::string At(const char* name) const { return where + "." + name; }
  void operator()(const char* name, int& v) const {
    const Json* m = Find(name);
    v = m ? ReadRecordInt(*m, At(name)) : 0;
  }
  void operator()(const char* name, float& v) const {
    const Json* m = Find(name);
    if (m == nullptr)
      v = 0.0f;
    else if (m->is_null())  // what a number that was not finite became
      v = std::numeric_limits<float>::quiet_NaN();
    else if (m->is_number())
      v = static_cast<float>(m->get<double>());
    else
      Invalid(At(name), "number expected", __LINE__);
  }
  void operator()(const char* name, std::string& v) const {
    const Json* m = Find(name);
    v = m ? ReadText(*m, At(name)) : std::string();
  }
  void operator()(const char* name, int (&v)[2]) const {
    const Json* m = Find(name);
    v[0] = v[1] = 0;
    if (m == nullptr) return;
    ReadPair(*m, v, At(name));
    for (int i = 0; i < 2; ++i) ReadRecordInt((*m)[i], At(name) + "[" + Decimal(i) + "]");
  }
  void operator()(const char* name, std::string (&v)[2]) const {
    const Json* m = Find(name);
    v[0].clear();
    v[1].clear();
    if (m == nullptr) return;
    if (!m->is_array() || m->size() != 2)
      Invalid(At(name), "array of 2 strings expected", __LINE__);
    v[0] = ReadText((*m)[0], At(name) + "[0]");
    v[1] = ReadText((*m)[1], At(name) + "[1]");
  }
};

template <typename Record>
Json WriteRecord(const Record& r, void (*fields)(RecordWriter&, const Record&)) {
  RecordWriter writer;
  fields(writer, r);
  return std::move(writer.object);
}

// The reader of one record from its table.
template <typename Record, void (*Fields)(const RecordReader&, Record&)>
Record ReadRecord(const Json& v, const std::string& where) {
  Record r;
  Fields(RecordReader{ReadObject(v, where), where}, r);
  return r;
}

constexpr auto kCarWriter = CarFields<RecordWriter, const CarRecord>;
constexpr auto kTrackWriter = TrackFields<RecordWriter, const TrackRecord>;
constexpr auto kNodeWriter = NodeFields<RecordWriter, const NodeRecord>;
constexpr auto kStandingWriter = StandingFields<RecordWriter, const StandingRecord>;
constexpr auto kCornerWriter = CornerFields<RecordWriter, const CornerRecord>;
constexpr auto kDriverWriter = DriverFields<RecordWriter, const DriverRecord>;
constexpr auto ReadCar = ReadRecord<CarRecord, CarFields<const RecordReader, CarRecord>>;
constexpr auto ReadTrack = ReadRecord<TrackRecord, TrackFields<const RecordReader, TrackRecord>>;
constexpr auto ReadNode = ReadRecord<NodeRecord, NodeFields<const RecordReader, NodeRecord>>;
constexpr auto ReadStanding =
    ReadRecord<StandingRecord, StandingFields<const RecordReader, StandingRecord>>;
constexpr auto ReadCorner =
    ReadRecord<CornerRecord, CornerFields<const RecordReader, CornerRecord>>;
constexpr auto ReadDriver =
    ReadRecord<DriverRecord, DriverFields<const RecordReader, DriverRecord>>;

// A list of records, and a table of them keyed by car key.
template <typename Record>
Json WriteList(const std::vector<Record>& list, void (*fields)(RecordWriter&, const Record&)) {
  Json array = Json::array();
  for (const Record& r : list) array.push_back(WriteRecord(r, fields));
  return array;
}

// A table keyed by car key, in key order (a map or the race's car table).
template <typename Table, typename Record>
Json WriteKeyed(const Table& records, void (*fields)(RecordWriter&, const Record&)) {
  Json object = Json::object();
  for (const auto& [key, r] : records) object[Cp1252ToUtf8(key)] = WriteRecord(r, fields);
  return object;
}

template <typename Record>
std::map<std::string, Record> ReadKeyed(const Json& v, const std::string& name,
                                        Record (*read)(const Json&, const std::string&)) {
  std::map<std::string, Record> records;
  for (auto it = ReadObject(v, name).begin(); it != v.end(); ++it) {
    std::string key = Utf8ToCp1252(it.key());
    records[key] = read(it.value(), name + "." + key);
  }
  return records;
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

// Two shapes are refused before the parser sees them. Nesting: the reader
// copies nested values recursively, so a hostile file nested thousands deep
// would exhaust the stack; a race document nests four deep. Width: an
// object finds a member by looking at each in turn (it keeps them in the
// order written), so a million members would take hours to read; the
// game's widest object is its car table, one member per car.
constexpr size_t kMaxNesting = 32;
constexpr int kMostMembers = 1000;
bool TooDeepOrTooWide(const std::string& bytes) {
  // Per open array or object, outside strings: -1 for an array, else the
  // object's members so far (one colon each).
  std::vector<int> open;
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
      if (open.size() == kMaxNesting) return true;
      open.push_back(c == '{' ? 0 : -1);
    } else if (c == ']' || c == '}') {
      if (!open.empty()) open.pop_back();
    } else if (c == ':' && !open.empty() && open.back() >= 0) {
      if (++open.back() > kMostMembers) return true;
    }
  }
  return false;
}

const Json& Required(const Json& root, const char* name, int line) {
  auto it = root.find(name);
  if (it == root.end()) Fatal("missing JSON member", kModule, "Load", line);
  return *it;
}

// The places the cars of a loaded race will be put back on: every car still
// racing on the rebuilt lap, in a lane, one car to a place, and in the
// running order once. A car that finished or crashed stands nowhere (it may
// keep its running-order entry until the pass ends), so it asks for no place.
void CheckCarPlaces(bool fileHasCars, bool fileHasStanding) {
  const int nodes = static_cast<int>(Node().size());
  const std::string range = "-1 to " + Decimal(nodes - 1) + " expected";
  if (fileHasCars)
    for (const auto& [key, car] : Car()) {
      if (car.listInd < -1 || car.listInd >= nodes)
        Invalid("Car." + key + ".listInd", "node " + range, __LINE__);
      if (car.lane < -1 || car.lane > 1)
        Invalid("Car." + key + ".lane", "lane -1 to 1 expected", __LINE__);
      if (car.finished < 0 || car.finished > 2)
        Invalid("Car." + key + ".finished", "0 racing, 1 finished or 2 out expected", __LINE__);
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
    if (car.finished != 0) continue;
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
  // A car still racing but missing from the running order would never move
  // again and never let the race end.
  if (fileHasCars)
    for (const auto& [key, car] : Car())
      if (car.finished == 0 && car.listInd != -1 && keys.count(key) == 0)
        Invalid("Car." + key, "a car still racing in the running order expected", __LINE__);
}
}  // namespace

void SetLoadDriversHandler(LoadDriversHandler handler) {
  gLoadDrivers = handler;
}

namespace {
std::string Written(const Json& root) {
  std::string out;
  Write(root, out);
  return out;
}
}  // namespace

std::string CircuitDocument(bool draft) {
  Json root = Json::object();
  root["Base"] = Layer(Base());
  root["Middle"] = Layer(Middle());
  root["Top"] = Layer(Top());
  root["Track"] = WriteList(Track(), kTrackWriter);
  if (draft) root["Draft"] = 1;
  return Written(root);
}

std::string TrackDocument() {
  Json root = Json::object();
  root["Node"] = WriteList(Node(), kNodeWriter);
  root["Corner"] = WriteList(Corner(), kCornerWriter);
  return Written(root);
}

std::string SaveDocument() {
  Json root = Json::object();
  root["Base"] = Layer(Base());
  root["Middle"] = Layer(Middle());
  root["Top"] = Layer(Top());
  root["Car"] = WriteKeyed(Car(), kCarWriter);
  root["Track"] = WriteList(Track(), kTrackWriter);
  root["Node"] = WriteList(Node(), kNodeWriter);
  root["Standing"] = WriteList(Standing(), kStandingWriter);
  bool current =
      RaceNow().currentStanding >= 0 && static_cast<size_t>(RaceNow().currentStanding) < Standing().size();
  root["StandingLI"] = current ? RaceNow().currentStanding : -1;
  root["Corner"] = WriteList(Corner(), kCornerWriter);
  root["OrderOfFinish"] = Strings(OrderOfFinish());
  root["DNF"] = Strings(DNF());
  root["Laps"] = Options().laps;
  root["Driver"] = WriteKeyed(Driver(), kDriverWriter);
  root["GridOn"] = Options().gridOn;
  root["AutoMode"] = Options().autoMode;
  root["CenterMode"] = Options().centerMode;
  // Only in a race saved from the gear choice; other readers ignore it.
  if (RaceNow().choosingGear) root["ChoosingGear"] = 1;
  return Written(root);
}

bool TrySave(const std::filesystem::path& file, std::string& why) {
  why.clear();
  if (PlatWriteFileAtomic(file, SaveDocument())) return true;
  why = PlatLastWriteError();
  return false;
}

void Save(const std::filesystem::path& file) {
  std::string why;
  if (!TrySave(file, why))
    FATAL("could not save: " + PlatPathText(file) + ": " + why, kModule, "Save");
}

bool DocumentHasMember(const std::filesystem::path& file, const char* name) {
  std::string bytes;
  if (!PlatReadFile(file, bytes, kLargestDataFile) || TooDeepOrTooWide(bytes)) return false;
  Json root = Json::parse(bytes, nullptr, false);
  return !root.is_discarded() && root.is_object() && root.contains(name);
}

bool ReadSavedRaceSummary(const std::filesystem::path& file, SavedRaceSummary& summary) {
  std::string bytes;
  if (!PlatReadFile(file, bytes, kLargestDataFile) || TooDeepOrTooWide(bytes)) return false;
  Json root = Json::parse(bytes, nullptr, false);
  if (root.is_discarded() || !root.is_object()) return false;
  auto laps = root.find("Laps");
  auto standing = root.find("Standing");
  if (laps == root.end() || !laps->is_number_integer() || standing == root.end() ||
      !standing->is_array())
    return false;
  const long long raceLaps = laps->get<long long>();
  if (raceLaps < kFewestLaps || raceLaps > kMostLaps) return false;
  // As the race says on loading: the leader's lap, a finished leader's last.
  long long lap = 1;
  for (const Json& s : *standing) {
    if (!s.is_object()) return false;
    auto carLap = s.find("lap");
    if (carLap == s.end() || !carLap->is_number_integer()) return false;
    lap = std::max(lap, carLap->get<long long>());
  }
  summary.laps = static_cast<int>(raceLaps);
  summary.lap = static_cast<int>(std::min(lap, raceLaps));
  return true;
}

namespace {
// The document of a circuit or race file; fatal when it is none.
Json ReadDocument(const std::filesystem::path& file) {
  if (PlatFileSize(file) == kFileMissing)
    FATAL("could not find file: " + PlatPathText(file), kModule, "Load");
  std::string bytes;
  if (!PlatReadFile(file, bytes, kLargestDataFile))
    FATAL("could not load JSON file: " + PlatPathText(file), kModule, "Load");
  Json root =
      TooDeepOrTooWide(bytes) ? Json(Json::value_t::discarded) : Json::parse(bytes, nullptr, false);
  if (root.is_discarded()) FATAL("could not load JSON file: " + PlatPathText(file), kModule, "Load");
  // Any document without "Base" lacks a member, whatever its root holds.
  if (!root.is_object()) FATAL("missing JSON member", kModule, "Load");
  return root;
}

void ReadLayers(const Json& root) {
  Base() = ReadLayer(Required(root, "Base", __LINE__), "Base");
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
}

void ReadTrackTable(const Json& v) {
  Track() = ReadList(v, "Track", ReadTrack);
  for (size_t i = 0; i < Track().size(); ++i) {
    std::string outside = LaneOffsetOutsideCell(Track()[i]);
    if (!outside.empty())
      Invalid("Track[" + Decimal(i) + "]." + outside,
              "lane offset 0 to " + Decimal(kTileSize - 1) + " inside the cell expected",
              __LINE__);
  }
}
}  // namespace

void LoadDrawing(const std::filesystem::path& file) {
  const Json root = ReadDocument(file);
  ReadLayers(root);
  if (auto it = root.find("Track"); it != root.end()) ReadTrackTable(*it);
}

void Load(const std::filesystem::path& file) {
  const Json root = ReadDocument(file);
  // A draft of the circuit editor is kept because it does not build yet.
  if (root.contains("Draft"))
    FATAL("a draft of the circuit editor, not a circuit: open it in the editor, finish it and "
          "save it",
          kModule, "Load");
  ReadLayers(root);

  auto member = [&](const char* name) -> const Json* {
    auto it = root.find(name);
    return it == root.end() ? nullptr : &*it;
  };
  const Json* cars = member("Car");
  if (cars) {
    Car() = ReadKeyed(*cars, "Car", ReadCar);
    ClearCurrentCar();
  }
  if (const Json* v = member("Track")) ReadTrackTable(*v);
  if (const Json* v = member("Node")) Node() = ReadList(*v, "Node", ReadNode);
  const Json* standing = member("Standing");
  if (standing) {
    Standing() = ReadList(*standing, "Standing", ReadStanding);
    int index = ReadInt(Required(root, "StandingLI", __LINE__), "StandingLI");
    // -1 (no current car) is what a save without a running order writes.
    bool none = index == -1 && Standing().empty();
    if (!none && !SelectStanding(index)) FATAL("invalid list index", kModule, "Load");
    if (none) RaceNow().currentStanding = -1;
  }
  if (const Json* v = member("Corner")) Corner() = ReadList(*v, "Corner", ReadCorner);
  if (const Json* v = member("OrderOfFinish")) OrderOfFinish() = ReadStrings(*v, "OrderOfFinish");
  if (const Json* v = member("DNF")) DNF() = ReadStrings(*v, "DNF");
  if (const Json* v = member("Laps")) {
    Options().laps = ReadInt(*v, "Laps");
    if (Options().laps < kFewestLaps || Options().laps > kMostLaps)
      Invalid("Laps", Decimal(kFewestLaps) + " to " + Decimal(kMostLaps) + " laps expected",
              __LINE__);
  }
  if (const Json* drivers = member("Driver")) {
    Driver() = ReadKeyed(*drivers, "Driver", ReadDriver);
  } else if (gLoadDrivers) {
    gLoadDrivers();
  }
  if (const Json* v = member("GridOn")) Options().gridOn = ReadInt(*v, "GridOn");
  if (const Json* v = member("AutoMode")) Options().autoMode = ReadInt(*v, "AutoMode");
  if (const Json* v = member("CenterMode")) Options().centerMode = ReadInt(*v, "CenterMode");
  const Json* choosing = member("ChoosingGear");
  RaceNow().choosingGear = choosing != nullptr && ReadInt(*choosing, "ChoosingGear") != 0;

  BuildTrack();
  CheckCarPlaces(cars != nullptr, standing != nullptr);
  RaceNow().currentNode = -1;

  std::string name = PlatPathText(file.stem());
  LoadCircuitLabels(CircuitFolderFor(name) / (name + " SL.txt"));
}
