// The draw state around an image filter run, where each shader pass reads and writes, and the write of
// the result into the destination graphic.
#pragma once

struct GraphicFilterContext;
struct FilterPassInput;

// Prepares the pass of context->pass. Without the shader path the pass reads the source graphic itself:
// *source is the context's source and *slot 0. On the shader path it also plans the pass
// (context->plan): the source's rectangle read in place when one texture holds it, else copied into a
// work target (always for the Gaussian, whose copy repeats its last column and row up to the target's
// edges); a blend graphic likewise; later passes read the pass before them; a pass before the last
// draws into a work target, the last into the destination when it is a drawable graphic that the pass
// does not read, else into a work target (so a pass never draws where it reads, whatever mode, the
// separate-copy flag, asks). -1 when the source or destination is not a live graphic or a work target
// cannot be had.
int GetWorkRenderTexture(GraphicFilterContext* context, int width, int height, int mode, int* slot,
                         int* source);
// The first row of a lookup graphic (width entries) as the pass's second input, read in place or copied.
// 0 or -1.
int PrepareLookupInput(GraphicFilterContext* context, int graphic, int width);

// Saves the blend pair, second blend pair, texture filter mode, fog and lighting switches and sets the
// filter's own (blend 14 at 0, filter mode 1, second pair 8 at 0, lighting off); with a device also the
// render-target surfaces (slots 1 and up unbound), the depth surface (unbound), the active constant
// sets and the bound shaders. Restore puts them back, the draw area's viewport included, and frees the run's
// work targets. One run at a time. 0.
int SaveFilterDrawState(GraphicFilterContext* context);
int RestoreFilterDrawState(GraphicFilterContext* context);

// The shader path's end: when the last pass drew into a work target, its result rectangle is read back
// and written into the destination at the destination position as the processor path writes its
// result. 0 or -1.
int CopyFilterResultToTarget(int mode, int target, GraphicFilterContext* context);
// The processor path's end: the source and blend images are released, the result image goes into the
// destination graphic at the destination position and is released. The transfer's 0 or -1.
int FinishFilterResult(GraphicFilterContext* context);
