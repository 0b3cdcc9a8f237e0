// CTriangleMesh: triangulation of feature points joined by constraint edges
// (the feature lines) with a sweep of advancing fronts, improved by edge flips
// that raise the smallest angles; the fold-over check of a morph between two
// line sets; and the render meshes handed to the renderer.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "compat/afx.h"
#include "model/project/line_set.h"
#include "model/geometry/rect_f.h"
#include "model/mesh/render_mesh.h"
#include "model/mesh/segment_grid.h"
#include "model/mesh/sight_line.h"
#include "model/geometry/vector2.h"
#include "platform/tree_node.h"

// The feature point a mesh vertex came from.
struct CMeshVertexSource {
  int line = -1;
  int point = -1;
};

class CTriangleMesh {
public:
  // Render triangles index vertices with 16-bit words.
  static constexpr int kMaxRenderVertices = 65536;

  CTriangleMesh();
  ~CTriangleMesh();
  CTriangleMesh(const CTriangleMesh&) = delete;
  CTriangleMesh& operator=(const CTriangleMesh&) = delete;

  // Vertices from every point of every line, constraint edges from each point
  // to the next (and closing edges of closed lines).
  void AddPoints(const CFeatureLineArray& lines);
  int Triangulate();
  // One render vertex per mesh vertex (position from `geometry`, texture
  // coordinates from `texture` mapped from `rect` into the ranges) and one
  // index triple per triangle, handed to `shape`. Returns the vertex count.
  int BuildRenderMesh(const CFeatureLineArray& geometry, const CFeatureLineArray& texture, CMeshReceiver* shape,
                      const CRectF& rect, float uMin, float uMax, float vMin, float vMax);

  // Every outline closed: its points become vertices and its sides edges.
  void BuildEdges(const CTypedPtrArray<CPtrArray, CTreeNode*>& outlines);
  // One new 3-point node per triangle, its points in side order.
  void ExportTriangles(CTypedPtrArray<CPtrArray, CTreeNode*>& out) const;

  int GetVertexCount() const { return m_vertexCount; }
  int GetConstraintCount() const { return m_constraintCount; }
  int GetTriangleCount() const { return static_cast<int>(m_triangles.size()); }
  int GetCreatedEdgeCount() const { return static_cast<int>(m_createdEdges.size()); }
  const CVector2& Position(int vertex) const { return m_positions[vertex]; }
  const std::vector<CMeshVertexSource>& Sources() const { return m_sources; }
  // The three vertices of a triangle, read off its sides.
  void TriangleVertices(int triangle, int out[3]) const;
  // Both ends of every edge, constraint edges first.
  void Edges(std::vector<std::pair<int, int>>& out) const;
  int FindEdge(int a, int b) const;

  // How the visibility and crossing queries find the edges to test: through
  // a spatial index, or by scanning every edge, the plain form the index
  // must agree with (kept for the tests that compare the two). Automatic
  // scans small meshes, where the index costs more than it saves. Set
  // before AddPoints.
  enum class ScanMode { Automatic, Indexed, Linear };
  void SetScanMode(ScanMode mode) { m_scanMode = mode; }
  bool UsesLinearScans() const { return m_linearScans; }
  // The hull repair's Delaunay flips run a copy of their loop built for AVX
  // where the processor has it (the same operations, so the same flips);
  // tests turn it off to compare it with the plain copy. For every mesh.
  static void AllowAvxFlips(bool allowed);

  // --- used by the fold-over check ---
  struct EdgeRef {
    BYTE kind;  // 1 constraint, 0 created
    int index;
  };
  // Inline: the sweep's walks and corner scans ask it for every node.
  void EdgeEnds(EdgeRef e, int* a, int* b) const {
    if (e.kind) {
      *a = m_constraints[e.index].first;
      *b = m_constraints[e.index].second;
    } else {
      *a = m_createdEdges[e.index].first;
      *b = m_createdEdges[e.index].second;
    }
  }

private:
  struct ConstraintEdge {
    BYTE kind = 1;
    int first = 0, second = 0, upper = 0;
  };
  void AddConstraint(int from, int to);
  // True when e crosses an edge already in m_constraints inside both, or
  // one with the same ends is there.
  bool CrossesKeptConstraint(const ConstraintEdge& e) const;
  bool CrossesKept(const CVector2& p, const CVector2& q, int kept) const;
  struct Triangle;
  struct CreatedEdge {
    int first = 0, second = 0;
    Triangle* left = nullptr;
    Triangle* right = nullptr;
  };
  struct Triangle {
    EdgeRef sides[3];
    // The largest corner cosine of the corners it had when last measured by
    // a flip, by their ascending vertex ids (-1: none yet). Sides change
    // under flips and the sweep; vertex positions never do.
    int measured[3] = {-1, -1, -1};
    double maxCosine = 0;
  };
  struct FrontNode {
    FrontNode* prev = nullptr;
    FrontNode* next = nullptr;
    EdgeRef edge;
    int ends[2] = {-1, -1};  // the edge's ends when the node was made
    // Index ids of the edges that last hid this edge from a vertex and
    // kept its corner with the next node open: likely to do so again.
    int sightBlocker = -1, cornerBlocker = -1;
    // For the corner index: its corner with the next node was concave but
    // hidden when last examined; it has left the front.
    bool hiddenCorner = false, dead = false;
    uint32_t stamp = 0;
    // The last sight test across its corner with the next node, sightA to
    // sightC: its answer, the edge log's length and the removal count then.
    // And the last full scan's finding for that corner (shut: open, or
    // hidden with the removal count then), made with these neighbours.
    const FrontNode* scannedPrev = nullptr;
    const FrontNode* scannedNext = nullptr;
    int sightA = -1, sightC = -1;
    int sightEdge = -1;  // the edge found hiding sightA from sightC, when known
    uint32_t sightLogged = 0, sightRemovals = 0, scannedRemovals = 0;
    bool sightBlocked = false, scannedBlocked = false;
    // The neighbours with which the corner index last found its corner with
    // the next node open or hidden (the node itself when it found it
    // closable, or never examined it).
    const FrontNode* examinedPrev = this;
    const FrontNode* examinedNext = this;
  };
  enum class Corner { Open, Blocked, Closable };

  // --- sweep ---
  void Sweep();
  // `hint`, when given, names an index id to try first and takes the blocker found.
  bool Blocked(const CVector2& p, const CVector2& q, float lowestY, int* hint = nullptr) const;
  bool BlockedBy(const CVector2& p, const CVector2& q, int a, int b) const;
  bool Sees(int p, int a, int b, int* hint) const;
  CSightShadow ShadowOf(int p, int id) const;
  void NodeEdgeEnds(const FrontNode* node, int* a, int* b) const;
  void NodeEnds(const FrontNode* node, int* left, int* right) const;
  void WalkEnds(const FrontNode* node, int previous[2], int* left, int* right) const;
  EdgeRef JoinEdge(int a, int b, Triangle* owner);
  Triangle* NewTriangle(EdgeRef s0, EdgeRef s1, EdgeRef s2);
  void LinkRight(EdgeRef side, Triangle* t);
  void AddToFront(int front, FrontNode* node, int p);
  void StartOrWait(int p);
  void JoinLeftovers();
  void SplitAroundLeftovers();
  void SplitTriangle(int triangle, int q);
  bool OpensTowards(EdgeRef edge, int q) const;
  std::pair<const int*, const int*> TrianglesOnConstraint(int c) const;
  void JoinPending();
  void ReadFrontEnds();
  void TouchFront(int front);
  template <class Visit>
  void ForFrontsReached(int v, int end, Visit visit) const;
  void MergeFronts();
  void CloseCorners(int front);
  bool CornersIndexed() const;
  bool ScannedShut(const FrontNode* node) const;
  bool ExaminedShut(const FrontNode* node) const;
  void CloseCornersIndexed(int front);
  Corner CornerState(FrontNode* node, int a, int b, int b2, int c) const;
  bool CornerBlocked(FrontNode* node, int a, int b, int c) const;
  bool IndexAnswers(const CVector2& p, const CVector2& q) const;
  bool EnteredSince(int id, uint32_t removals) const;
  void CloseCorner(int front, FrontNode* node, int a, int c);
  static FrontNode* Earlier(FrontNode* x, FrontNode* y);
  void Retire(FrontNode* node);
  FrontNode* NewNode(EdgeRef edge);
  int FrontFirstVertex(int front) const;
  int FrontLastVertex(int front) const;
  FrontNode* FrontTail(int front) const;

  // --- flips ---
  void Flip(int created, int depth);
  void FlipPair(int created, int depth);
  int OppositeVertex(const Triangle* t, int a, int b) const;
  double MaxCosineOf(Triangle* t, int a, int b, int c, bool finite) const;
  void LinkRemaining();
  // Per created edge: refused by the flip test, and neither of its
  // triangles has changed since. The flip passes skip such edges, which
  // would only be refused again. Kept from the start of the sweep, so that
  // the first pass skips the edges the sweep's own flips refused.
  std::vector<char> m_flipSettled;
  // In the passes after the sweep (a refusal that spent budget is marked
  // there, and only there, as it always was).
  bool m_flipPasses = false;
  // A change to one of the edge's triangles: it is tested again.
  void Unsettle(EdgeRef side) {
    if (!side.kind && static_cast<size_t>(side.index) < m_flipSettled.size()) m_flipSettled[side.index] = 0;
  }
  // EdgeEnds as a pair, inline for the flips' and the export's tight loops.
  std::pair<int, int> SideEnds(EdgeRef e) const {
    return e.kind ? std::pair(m_constraints[e.index].first, m_constraints[e.index].second)
                  : std::pair(m_createdEdges[e.index].first, m_createdEdges[e.index].second);
  }

  // TriangleVertices of a triangle in hand: walks over all of them take
  // each in turn rather than by number.
  void VerticesOf(const Triangle& t, int out[3]) const;

  // --- cover check ---
  bool CoversHull() const;
  void Retriangulate();

  int m_current = 0;
  std::vector<CVector2> m_positions;
  int m_activeConstraints = 0;
  int m_constraintCount = 0;
  int m_vertexCount = 0;
  std::vector<ConstraintEdge> m_constraints;
  std::vector<CMeshVertexSource> m_sources;
  std::vector<FrontNode*> m_fronts;
  mutable std::vector<FrontNode*> m_frontTails;  // last found tail of each front, or null
  // Read by ReadFrontEnds: each front's first and last vertex, and (vertex,
  // front) pairs sorted, by first vertex [0] and by last vertex [1].
  std::vector<int> m_frontFirst, m_frontLast;
  std::vector<std::pair<int, int>> m_frontsByEnd[2];
  std::vector<std::array<const FrontNode*, 4>> m_frontEndNodes;  // each front's ends read off these
  // Counts the readings that changed an end; the reading at which merging
  // found no pair, and the one (with the waiting vertices) at which joining
  // found none.
  long m_frontEndsRead = 0, m_unmergedAt = -1, m_unjoinedAt = -1;
  // Fronts whose nodes were linked or retired since the last reading, unless
  // every front is to be read again (fronts added, merged or cleared).
  std::vector<int> m_touchedFronts;
  bool m_frontsRenumbered = true;
  std::vector<int> m_unjoined;
  std::vector<int> m_edgeStart, m_edgeList;  // constraint edges of each vertex
  std::vector<int> m_edgeOther;              // by m_edgeList: the edge's end that is not the vertex
  std::vector<int> m_representative;         // first vertex at the same position
  // While the constraints are added, with finite positions and the spatial
  // index in use: the vertices by x column, each column in ascending y,
  // packed: column c is m_columnVertices[m_columnStart[c] .. m_columnStart[c + 1]).
  std::vector<int> m_columnStart, m_columnVertices;
  int m_columnCount = 0;  // none when not in use
  double m_columnLeft = 0, m_columnWidth = 1;
  int Column(float x) const;
  // By value: references to an edge are not held across the making of another.
  std::vector<CreatedEdge> m_createdEdges;
  std::deque<Triangle> m_triangles;  // edges point at triangles: they stay where they are made
  std::vector<int> m_pending;  // most recent last
  // Nodes stay where they are made: in blocks, each twice the one before.
  std::vector<std::unique_ptr<FrontNode[]>> m_nodeBlocks;
  size_t m_nodesLeft = 0, m_nodeBlockSize = 0;
  long m_flipBudget = 0;
  bool m_finitePositions = false;  // every vertex position finite: the flips need not ask
  bool m_coverHull = true;  // the triangles should cover the vertices' convex hull
  // Boxes of the constraint and created edges, kept flat so that the
  // visibility scans run over memory in order.
  struct EdgeBoxes {
    std::vector<float> minX, maxX, minY, maxY;
    void Set(size_t i, const CVector2& a, const CVector2& b);
    void Reserve(size_t count);
  };
  EdgeBoxes m_constraintBoxes, m_createdBoxes;
  bool ScanBoxes(const EdgeBoxes& boxes, size_t count, bool created, const CVector2& p, const CVector2& q,
                 float lowestY) const;
  // The same answer as the scans, from the edges the index offers.
  bool IndexedBlocked(const CVector2& p, const CVector2& q, float lowestY, int* hint) const;
  // A sight line p-q with its box widened by the on-line margin, worked out
  // once per query; edges wholly below lowestY are not tested.
  struct SightLine {
    SightLine(const CVector2& p, const CVector2& q, float lowest);
    CSightSegment segment;
    float lowestY, x0, x1, y0, y1;
  };
  bool BlocksSight(int gridId, const SightLine& line) const;
  int HangingBlocker(int b, const SightLine& line) const;
  bool EdgeBlocksSight(bool created, size_t index, const SightLine& line) const;
  bool OfferedBlocks(const SightLine& line, const CVector2& c, const CVector2& d) const;
  // IndexedBlocked's walk of the grid, past the edges `tried` and `last`.
  bool GridBlocked(const SightLine& line, int tried, int last, int* hint) const;
  void ActivateConstraints(int count);
  void IndexCreated(int created, bool add);
  // While the index is live: the index ids of the edges entered since the
  // sweep began (again when a flip moves one), and how many were taken out.
  // Corners test only these against a sight line found clear before.
  std::vector<int> m_edgeLog;
  uint32_t m_edgeRemovals = 0;  // one per flip: the flip budget keeps it far below 2^32
  std::vector<uint32_t> m_removedAt;  // per created edge: m_edgeRemovals at its last removal

  ScanMode m_scanMode = ScanMode::Automatic;
  bool m_linearScans = false;  // decided by AddPoints
  // Index ids: 2 x constraint index, 2 x created index + 1. Constraint edges
  // enter as they become active; the index lives for the sweep only.
  CSegmentGrid m_grid;
  bool m_gridLive = false;
  bool m_allFinite = false;  // every position a finite number: the index takes every sight line
  // Corner closing examines only new corners and hidden ones (one front only).
  bool m_cornerIndex = false;
  std::vector<FrontNode*> m_freshNodes;     // made since the last scan that closed nothing
  std::vector<FrontNode*> m_hiddenCorners;  // concave corners hidden when last examined
  size_t m_hiddenCornersKept = 0;           // its length when last cleared out
  std::vector<int> m_frontUses;  // front nodes on each created edge
  long m_flips = 0, m_flipsAtClean = -1;
  // Triangles by their constraint sides, packed: m_sideStart[c] ..
  // m_sideStart[c + 1] of m_sideList; listed at (triangle count, flips).
  mutable std::vector<int> m_sideStart, m_sideList;
  mutable bool m_sidesListed = false;
  mutable std::pair<size_t, long> m_sidesListedAt;
  mutable std::vector<int> m_sidesWithNew;  // a listing and the later triangles' own, when asked
  uint32_t m_cornerStamp = 0;
  mutable int m_lastBlocker = -1;  // tried first: one edge often hides a run of front edges
  // Constraint edges kept so far while AddPoints builds them, by kept order.
  CSegmentGrid m_keptGrid;
  // BuildRenderMesh's index triples, read off the triangles by the first
  // call after they were made.
  std::vector<WORD> m_renderIndices;
  bool m_renderIndicesRead = false;
};

// Whether a flip raises the smallest angle of a pair of triangles by more
// than the flips' threshold, told from the largest corner cosines before and
// after: 1 yes, 0 no, -1 when only the angles themselves can tell.
int FlipGainFromCosines(double before, double after);

// The cover check's test of the triangles' sides. Side i joins vertices
// low[i] < high[i] >> 1 of the `vertexCount` at `positions`; its lowest bit
// is 1 when its triangle lies left of low -> high. True when no two vertices
// are joined by more than two sides or by two with their triangles on one
// side, and every vertex v is joined to each of required[requiredStart[v]]
// .. required[requiredStart[v + 1] - 1]. Then `outerLength` gets the sum of
// the lengths of the single sides, added in ascending order of their ends.
bool MeshSidesPairUp(const CVector2* positions, int vertexCount, const int* low, const uint32_t* high, size_t count,
                     const std::vector<int>& requiredStart, const std::vector<int>& required, double* outerLength);

// 1 when two edges of the mesh pass through each other while the source
// lines morph into the target lines; `out` gets the two vertices of each.
int FindCrossingTriangles(const CTriangleMesh& mesh, const CFeatureLineArray& source,
                          const CFeatureLineArray& target, int out[4]);

// Per-frame update: vertex k takes the position of its source point.
void CopyMeshVertexPositions(const CFeatureLineArray& lines, const std::vector<CMeshVertexSource>& sources,
                             CRenderVertex* vertices);
// The same from a pair's vertex map, for at most `count` vertices.
void CopyMeshVertexPositions(const CFeatureLineArray& lines, const CLinePoint* sources, int count,
                             CRenderVertex* vertices);

// Triangulates closed outlines; one new 3-point node per triangle is
// appended to `out` (the caller deletes them).
void TriangulateOutlines(const CTypedPtrArray<CPtrArray, CTreeNode*>& outlines, CTypedPtrArray<CPtrArray, CTreeNode*>& out);

// Clips the triangle to the rectangle and appends what is left of it as
// triangles (3-point nodes the caller deletes); nothing when it lies outside.
void ClipTriangleToRect(const CVector2& a, const CVector2& b, const CVector2& c, const CRectF& rect,
                        CTypedPtrArray<CPtrArray, CTreeNode*>& out);
