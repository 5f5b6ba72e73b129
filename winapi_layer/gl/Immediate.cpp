// glBegin ... glEnd: the vertices are gathered with the current colour,
// normal and texture coordinate, and drawn at glEnd: quads as two
// triangles each, lines one or more pixels wide, with their stipple.
//
// Flat shading gives a whole primitive the colour and normal of its last
// vertex, as OpenGL does, by giving them to every vertex of it (GLSL ES
// 1.00 has no flat varyings).
#include <algorithm>
#include <cmath>

#include "Context.h"

namespace glsubset {

namespace {

Vertex MakeVertex(const Context& c, float x, float y, float z) {
  Vertex v;
  v.position[0] = x;
  v.position[1] = y;
  v.position[2] = z;
  std::copy(c.colour.begin(), c.colour.end(), v.colour);
  std::copy(c.normal.begin(), c.normal.end(), v.normal);
  std::copy(c.texCoord.begin(), c.texCoord.end(), v.texCoord);
  return v;
}

// `to` takes the colour and normal of the primitive's last vertex.
void TakeProvoking(Vertex& to, const Vertex& last) {
  std::copy(last.colour, last.colour + 4, to.colour);
  std::copy(last.normal, last.normal + 3, to.normal);
}

Vertex Mix(const Vertex& a, const Vertex& b, float t) {
  Vertex v = a;
  for (int i = 0; i < 4; ++i) v.colour[i] = a.colour[i] + (b.colour[i] - a.colour[i]) * t;
  for (int i = 0; i < 3; ++i) v.normal[i] = a.normal[i] + (b.normal[i] - a.normal[i]) * t;
  for (int i = 0; i < 2; ++i) v.texCoord[i] = a.texCoord[i] + (b.texCoord[i] - a.texCoord[i]) * t;
  return v;
}

std::vector<Vertex> Triangles(const Context& c) {
  const std::vector<Vertex>& in = c.vertices;
  const bool flat = c.shadeModel == GL_FLAT;
  std::vector<Vertex> out;
  if (c.primitive == GL_QUADS) {
    for (size_t i = 0; i + 4 <= in.size(); i += 4) {
      Vertex q[4] = {in[i], in[i + 1], in[i + 2], in[i + 3]};
      if (flat)
        for (Vertex& v : q) TakeProvoking(v, in[i + 3]);
      out.insert(out.end(), {q[0], q[1], q[2], q[0], q[2], q[3]});
    }
  } else {
    for (size_t i = 0; i + 3 <= in.size(); i += 3) {
      Vertex t[3] = {in[i], in[i + 1], in[i + 2]};
      if (flat)
        for (Vertex& v : t) TakeProvoking(v, in[i + 2]);
      out.insert(out.end(), {t[0], t[1], t[2]});
    }
  }
  return out;
}

// The segments of a line primitive as pairs of vertices.
std::vector<Vertex> Segments(const Context& c) {
  const std::vector<Vertex>& in = c.vertices;
  std::vector<Vertex> out;
  auto add = [&](const Vertex& a, const Vertex& b) {
    out.push_back(a);
    out.push_back(b);
    if (c.shadeModel == GL_FLAT) TakeProvoking(out[out.size() - 2], b);
  };
  if (c.primitive == GL_LINES) {
    for (size_t i = 0; i + 2 <= in.size(); i += 2) add(in[i], in[i + 1]);
  } else {
    for (size_t i = 0; i + 1 < in.size(); ++i) add(in[i], in[i + 1]);
    if (c.primitive == GL_LINE_LOOP && in.size() > 1) add(in.back(), in.front());
  }
  return out;
}

// The part of the segment from a to b (clip coordinates) inside the view
// volume, as parameters t0 <= t1 along it; false when none is.
bool ClipSegment(const Vec4& a, const Vec4& b, float& t0, float& t1) {
  t0 = 0;
  t1 = 1;
  for (int axis = 0; axis < 3; ++axis) {
    for (float sign : {1.0f, -1.0f}) {
      // Inside where w + sign * coordinate >= 0.
      const float da = a[3] + sign * a[axis], db = b[3] + sign * b[axis];
      if (da < 0 && db < 0) return false;
      if (da < 0) t0 = std::max(t0, da / (da - db));
      if (db < 0) t1 = std::min(t1, da / (da - db));
    }
  }
  return t0 <= t1;
}

// A segment in window coordinates, with its ends' attributes.
struct WindowSegment {
  float a[3], b[3];
  Vertex va, vb;
};

Vertex WindowVertex(const Context& c, const float* p, const Vertex& attributes) {
  Vertex v = attributes;
  const std::array<float, 3> ndc = NdcFromWindow(c, p[0], p[1], p[2]);
  std::copy(ndc.begin(), ndc.end(), v.position);
  return v;
}

// The pixels a line `width` wide covers, as two triangles: the segment
// between its ends, widened by half the width on either side across its
// major axis. Lines across or down the window cover the pixels OpenGL
// gives them; ES 2 itself may draw no line wider than 1.
void AddWideSegment(const Context& c, const WindowSegment& s, float width, std::vector<Vertex>& out) {
  const bool xMajor = std::fabs(s.b[0] - s.a[0]) >= std::fabs(s.b[1] - s.a[1]);
  const float half = width / 2;
  const int across = xMajor ? 1 : 0;
  float corners[4][3];
  for (int i = 0; i < 3; ++i) {
    corners[0][i] = corners[1][i] = s.a[i];
    corners[2][i] = corners[3][i] = s.b[i];
  }
  corners[0][across] -= half;
  corners[1][across] += half;
  corners[2][across] += half;
  corners[3][across] -= half;
  const Vertex v[4] = {WindowVertex(c, corners[0], s.va), WindowVertex(c, corners[1], s.va),
                       WindowVertex(c, corners[2], s.vb), WindowVertex(c, corners[3], s.vb)};
  out.insert(out.end(), {v[0], v[1], v[2], v[0], v[2], v[3]});
}

void DrawLines(Context& c) {
  const std::vector<Vertex> segments = Segments(c);
  // A width rounds to a whole number of pixels, at least 1. Plain thin
  // lines are ES 2's own; the others are drawn as rectangles.
  const float width = std::max(1.0f, std::round(c.lineWidth));
  if (width == 1 && !c.lineStipple) {
    Draw(c, GL_LINES, segments, Space::Object);
    return;
  }
  const Matrix mvp = Multiply(c.projection.back(), c.modelview.back());
  std::vector<Vertex> out;
  for (size_t i = 0; i + 1 < segments.size(); i += 2) {
    const Vertex &from = segments[i], &to = segments[i + 1];
    if (c.primitive == GL_LINES) c.stippleCounter = 0;
    const Vec4 ca = Transform(mvp, {from.position[0], from.position[1], from.position[2], 1});
    const Vec4 cb = Transform(mvp, {to.position[0], to.position[1], to.position[2], 1});
    float t0, t1;
    if (!ClipSegment(ca, cb, t0, t1)) continue;
    Vec4 clipped[2];
    for (int k = 0; k < 4; ++k) {
      clipped[0][k] = ca[k] + (cb[k] - ca[k]) * t0;
      clipped[1][k] = ca[k] + (cb[k] - ca[k]) * t1;
    }
    const std::array<float, 3> wa = WindowFromClip(c, clipped[0]), wb = WindowFromClip(c, clipped[1]);
    const Vertex va = Mix(from, to, t0), vb = Mix(from, to, t1);

    // The stipple pattern lights the fragments along the major axis by
    // the bits of a counter that runs on through a strip; each run of lit
    // fragments is drawn as a piece of the segment.
    const float length = std::max(std::fabs(wb[0] - wa[0]), std::fabs(wb[1] - wa[1]));
    const int fragments = std::max(1, static_cast<int>(std::lround(length)));
    std::vector<std::pair<int, int>> runs;
    if (!c.lineStipple) {
      runs.emplace_back(0, fragments);
    } else {
      for (int k = 0; k < fragments; ++k) {
        const int bit = (c.stippleCounter + k) / c.stippleFactor % 16;
        if ((c.stipplePattern >> bit & 1) == 0) continue;
        if (!runs.empty() && runs.back().second == k) {
          runs.back().second = k + 1;
        } else {
          runs.emplace_back(k, k + 1);
        }
      }
      c.stippleCounter += fragments;
    }
    for (auto [first, end] : runs) {
      const float s0 = static_cast<float>(first) / fragments, s1 = static_cast<float>(end) / fragments;
      WindowSegment piece;
      for (int k = 0; k < 3; ++k) {
        piece.a[k] = wa[k] + (wb[k] - wa[k]) * s0;
        piece.b[k] = wa[k] + (wb[k] - wa[k]) * s1;
      }
      piece.va = Mix(va, vb, s0);
      piece.vb = Mix(va, vb, s1);
      AddWideSegment(c, piece, width, out);
    }
  }
  Draw(c, GL_TRIANGLES, out, Space::Window);
}

}  // namespace

void glBegin(GLenum mode) {
  Context* c = Current();
  if (c == nullptr) return;
  if (c->inBegin) return SetError(*c, GL_INVALID_OPERATION);
  if (mode != GL_QUADS && mode != GL_TRIANGLES && mode != GL_LINES && mode != GL_LINE_STRIP &&
      mode != GL_LINE_LOOP)
    return SetError(*c, GL_INVALID_ENUM);
  c->inBegin = true;
  c->primitive = mode;
  c->vertices.clear();
  c->stippleCounter = 0;
}

void glEnd() {
  Context* c = Current();
  if (c == nullptr) return;
  if (!c->inBegin) return SetError(*c, GL_INVALID_OPERATION);
  c->inBegin = false;
  if (c->primitive == GL_QUADS || c->primitive == GL_TRIANGLES) {
    Draw(*c, GL_TRIANGLES, Triangles(*c), Space::Object);
  } else {
    DrawLines(*c);
  }
}

void glColor3f(GLfloat red, GLfloat green, GLfloat blue) {
  if (Context* c = Current()) c->colour = {red, green, blue, 1.0f};
}

void glNormal3f(GLfloat x, GLfloat y, GLfloat z) {
  if (Context* c = Current()) c->normal = {x, y, z};
}

void glTexCoord2f(GLfloat s, GLfloat t) {
  if (Context* c = Current()) c->texCoord = {s, t};
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
  Context* c = Current();
  if (c != nullptr && c->inBegin) c->vertices.push_back(MakeVertex(*c, x, y, z));
}

void glVertex2f(GLfloat x, GLfloat y) { glVertex3f(x, y, 0.0f); }

}  // namespace glsubset
