// Refilling every graphic from its reload source after the device was made again.
#pragma once

// Reloads each graphic that has a reload source, in slot order, reading a file or file image once for
// graphics that follow each other with the same source. A source that cannot be read leaves the graphic
// alive and empty. 0.
int RestoreAllGraphics();
