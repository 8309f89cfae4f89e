// After a restart that ended in software mode, graphics made for the device are made again as software
// images, ready for the restore to refill them.
#pragma once

// Each image block that still describes textures gets a software image of its size instead (a block
// shared by several graphics once), and every graphic on such a block gets its software view again.
// The pixels are left for the restore. 0.
int RemakeGraphicsAsSoftwareImages();
