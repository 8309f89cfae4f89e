// The square render targets the shader filters draw their passes into: by edge size class (a power of
// two), a few per size, made on first use and kept for the next run.
#pragma once

struct GraphicFilterContext;

// The smallest power of two not below size (at least 1).
int WorkTargetEdge(int size);
// A work target of the edge that the run does not hold yet; the run holds it from now on. Made as a
// 32-bit drawable graphic with alpha when the size has none free; -1 (logged) when it cannot be made.
int AcquireWorkTarget(GraphicFilterContext* context, int edge);
// The run gives back every work target it holds.
void ReleaseWorkTargets(GraphicFilterContext* context);
// Work targets made so far and still alive, of one edge or (0) of every edge.
int CountWorkTargets(int edge = 0);
