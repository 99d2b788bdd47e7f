// Track analysis: distances to the next corner, the corner list, values and
// ranks, on built circuits and on hand-made node lists.
#include "race/analyze.h"
#include "racedata_support.h"

namespace {
// Node list with only what the corner walks read.
void HandNodes(const std::vector<int>& corners, const std::vector<int>& distances) {
  Node().clear();
  for (size_t i = 0; i < corners.size(); ++i) {
    NodeRecord n;
    n.nodeX = static_cast<int>(i);
    n.corner = corners[i];
    n.distanceInMPs = distances[i];
    Node().push_back(n);
  }
}

// What the walks must give, worked out going forwards instead: the step
// costs up to the next corner entry (wrapping), 2 more on the closing node of
// every corner but the last in the list.
void ExpectForwardDistances() {
  const std::vector<NodeRecord>& nodes = Node();
  const int n = static_cast<int>(nodes.size());
  int lastClosing = -1;
  for (int i = 0; i < n; ++i)
    if (nodes[i].lastCornerNode) lastClosing = i;
  for (int i = 0; i < n; ++i) {
    if (nodes[i].corner != 0) {
      EXPECT_EQ(nodes[i].distanceInMPs, 0) << "node " << i;
      EXPECT_EQ(nodes[i].nextCornerType, 0) << "node " << i;
      continue;
    }
    int sum = 0, j = i;
    while (nodes[j].corner == 0) {
      int k = (j + 1) % n;
      sum += IsDiagonalStep(nodes[j].nodeX, nodes[j].nodeY, nodes[k].nodeX, nodes[k].nodeY) ? 3 : 2;
      j = k;
    }
    if (nodes[i].lastCornerNode && i != lastClosing) sum += 2;
    EXPECT_EQ(nodes[i].distanceInMPs, sum) << "node " << i;
    EXPECT_EQ(nodes[i].nextCornerType, nodes[j].corner) << "node " << i;
  }
}
}  // namespace

TEST_F(RaceDataTest, DistancesOnTheRectangle) {
  SetLayers(kRectBase, kRectMiddle, kRectTop);
  BuildTrack();
  const std::vector<NodeRecord>& n = Node();
  // Four orthogonal steps before the hairpin's entry (node 12): 2, 4, 6 and
  // 8, the closing node of the sharp corner 2 more.
  EXPECT_EQ(n[11].distanceInMPs, 2);
  EXPECT_EQ(n[10].distanceInMPs, 4);
  EXPECT_EQ(n[9].distanceInMPs, 6);
  EXPECT_EQ(n[8].distanceInMPs, 10);
  EXPECT_EQ(n[8].nextCornerType, 2);
  // Round the start line: the last corner's closing node is exact.
  EXPECT_EQ(n[1].distanceInMPs, 2);
  EXPECT_EQ(n[0].distanceInMPs, 4);
  EXPECT_EQ(n[19].distanceInMPs, 6);
  EXPECT_EQ(n[18].distanceInMPs, 8);
  EXPECT_EQ(n[18].nextCornerType, 1);
  EXPECT_EQ(n[2].distanceInMPs, 0);  // the entry node itself
  ExpectForwardDistances();
}

TEST_F(RaceDataTest, CornerListValuesAndCornerValues) {
  SetLayers(kRectBase, kRectMiddle, kRectTop);
  BuildTrack();
  ASSERT_EQ(Corner().size(), 2u);
  const CornerRecord& a = Corner()[0];
  const CornerRecord& b = Corner()[1];
  EXPECT_EQ(a.entryNode, 2);
  EXPECT_EQ(a.type, 1);
  EXPECT_EQ(a.following, 10);
  EXPECT_EQ(a.preceding, b.following);
  EXPECT_EQ(a.value, 4 * 10 + 3 * 8);
  EXPECT_EQ(a.rank, 1);
  EXPECT_EQ(b.entryNode, 12);
  EXPECT_EQ(b.type, 2);
  EXPECT_EQ(b.following, 8);
  EXPECT_EQ(b.preceding, a.following);
  EXPECT_EQ(b.value, 4 * 8 + 3 * 10);
  EXPECT_EQ(b.rank, 2);
  for (int i = 0; i < 20; ++i) {
    // Ahead of each corner its value; inside corners 0, except the last node
    // of the last corner, which carries the first corner's value like the
    // nodes after it.
    int expected = i < 2 ? a.value : i < 8 ? 0 : i < 12 ? b.value : i < 17 ? 0 : a.value;
    EXPECT_EQ(Node()[i].cornerValue, expected) << "node " << i;
  }
}

TEST_F(RaceDataTest, DiagonalStepsCostThree) {
  // A triangle with a long diagonal leg: every node on it is 3 MP further.
  SetLayers({{46, 46, 46, 46, 46, 46, 46, 46, 46},
             {46, 10, 0, 34, 0, 0, 8, 46, 46},
             {4, 46, 46, 46, 46, 46, 46, 5, 46},
             {1, 46, 46, 46, 46, 46, 46, 7, 46},
             {1, 46, 46, 46, 46, 46, 2, 46, 46},
             {1, 46, 46, 46, 46, 2, 46, 46, 46},
             {1, 46, 46, 46, 2, 46, 46, 46, 46},
             {6, 46, 46, 2, 46, 46, 46, 46, 46},
             {46, 11, 9, 46, 46, 46, 46, 46, 46},
             {46, 46, 46, 46, 46, 46, 46, 46, 46}},
            {},
            {{-1, -1, -1, -1, -1, -1, -1, -1, -1},
             {-1, -1, 41, -1, -1, -1, 40, -1, -1},
             {41, -1, -1, -1, -1, -1, -1, -1, -1},
             {-1, -1, -1, -1, -1, -1, -1, -1, -1},
             {-1, -1, -1, -1, -1, -1, 40, -1, -1},
             {-1, -1, -1, -1, -1, -1, -1, -1, -1},
             {41, -1, -1, -1, -1, -1, -1, -1, -1},
             {-1, -1, -1, -1, -1, -1, -1, -1, -1},
             {-1, -1, 41, -1, -1, -1, -1, -1, -1},
             {-1, -1, -1, -1, -1, -1, -1, -1, -1}});
  BuildTrack();
  ExpectForwardDistances();
  int diagonal = 0;
  for (size_t i = 0; i + 1 < Node().size(); ++i)
    if (Node()[i].corner == 0 && Node()[i + 1].corner == 0 &&
        IsDiagonalStep(Node()[i].nodeX, Node()[i].nodeY, Node()[i + 1].nodeX,
                       Node()[i + 1].nodeY)) {
      EXPECT_EQ(Node()[i].distanceInMPs - Node()[i + 1].distanceInMPs,
                3 + (Node()[i].lastCornerNode ? 2 : 0));
      ++diagonal;
    }
  EXPECT_GE(diagonal, 3);
}

TEST_F(RaceDataTest, OneCornerCircuit) {
  SetLayers(kRectBase, kRectMiddle, kRectTop);
  Top()(1, 6) = -1;  // no hairpin
  Top()(2, 1) = -1;
  BuildTrack();
  ASSERT_EQ(Corner().size(), 1u);
  EXPECT_EQ(Corner()[0].rank, 0);
  EXPECT_EQ(Corner()[0].preceding, Corner()[0].following);
  EXPECT_EQ(Corner()[0].following, 30);  // 15 steps from node 8 round to node 2
  ExpectForwardDistances();
  for (const NodeRecord& n : Node())
    if (n.corner == 0) {
      EXPECT_EQ(n.cornerValue, Corner()[0].value);
    }
}

TEST(CornerList, HandMadeNodes) {
  ResetRaceData();
  // Corners at nodes 2-3 and 6; the closing nodes 4 and 7 carry 9 and 5.
  HandNodes({0, 0, 1, 1, 0, 0, 2, 0, 0}, {4, 2, 0, 0, 9, 2, 0, 5, 7});
  BuildCornerList();
  ASSERT_EQ(Corner().size(), 2u);
  EXPECT_EQ(Corner()[0].entryNode, 2);
  EXPECT_EQ(Corner()[0].following, 9);
  EXPECT_EQ(Corner()[0].preceding, 5);
  EXPECT_EQ(Corner()[1].entryNode, 6);
  EXPECT_EQ(Corner()[1].type, 2);
  EXPECT_EQ(Corner()[1].preceding, 9);
  EXPECT_EQ(Corner()[1].value, 4 * 5 + 3 * 9);
  SetCornerValues();
  const int expected[9] = {51, 51, 0, 0, 47, 47, 51, 51, 51};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(Node()[i].cornerValue, expected[i]) << "node " << i;
}

TEST(CornerList, RanksWithTiesKeepCircuitOrder) {
  ResetRaceData();
  const int values[5] = {30, 50, 30, 70, 50};
  for (int i = 0; i < 5; ++i) Corner().push_back(CornerRecord{i * 3, 0, 1, 0, 0, values[i]});
  RankCorners();
  const int ranks[5] = {4, 2, 5, 1, 3};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(Corner()[i].rank, ranks[i]) << "corner " << i;
}

TEST(CornerList, SetNodeDistanceAddsTheStepCost) {
  ResetRaceData();
  HandNodes({0}, {0});
  Node()[0].nodeX = 4;
  Node()[0].nodeY = 4;
  SelectNode(0);
  EXPECT_EQ(SetNodeDistance(5, 5, 10, 2), 13);
  EXPECT_EQ(Node()[0].nextCornerType, 2);
  EXPECT_EQ(SetNodeDistance(4, 5, 10, 1), 12);
  EXPECT_EQ(SetNodeDistance(4, 4, 0, 1), 2);  // its own cell: orthogonal
  EXPECT_EQ(Node()[0].distanceInMPs, 2);
}
