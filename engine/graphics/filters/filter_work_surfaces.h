// The draw state around an image filter run and the work source of its passes.
#pragma once

struct GraphicFilterContext;

// The work source of a pass. Without programmable shaders the pass reads the source graphic itself:
// *source is the context's source and *slot 0. -1 when the source or destination is not a live graphic.
int GetWorkRenderTexture(GraphicFilterContext* context, int width, int height, int mode, int* slot,
                         int* source);
// Saves the blend pair, second blend pair, texture filter mode, fog and lighting switches and sets the
// filter's own (blend 14 at 0, filter mode 1, second pair 8 at 0, lighting off); Restore puts them
// back. One run at a time. 0.
int SaveFilterDrawState(GraphicFilterContext* context);
int RestoreFilterDrawState(GraphicFilterContext* context);

// The processor path's end: the source and blend images are released, the result image goes into the
// destination graphic at the destination position and is released. The transfer's 0 or -1.
int FinishFilterResult(GraphicFilterContext* context);
