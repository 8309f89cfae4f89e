// A restart that ends in software mode makes the graphics made for the device again as software images,
// ready for the restore to refill them; a later restart that gets the device back makes them device
// graphics again.
#pragma once

// Each image block that still describes textures gets a software image of its size instead (a block
// shared by several graphics once), keeping its device shape, and every graphic on such a block gets its
// software view again. The pixels are left for the restore. 0.
int RemakeGraphicsAsSoftwareImages();
// Each block that keeps a device shape takes it back (its software image goes), and every graphic on
// such a block gets its draw tiles again. The textures are left to be made, the pixels to the restore. 0.
int RemakeGraphicsForDevice();
