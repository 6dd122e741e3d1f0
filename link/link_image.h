#pragma once
// The settings image as the karvel block operations see it in file mode.
// The link knows the image only through this: the settings side registers
// its image at start-up, and while file mode is set link_read_block and
// link_write_block move their bytes through it instead of the line.

// Block access by station address. Each refuses (false, nothing copied) a
// block that does not lie wholly inside the image or a negative count.
struct LinkImage {
  bool (*read)(int address, int count, int* buffer);
  bool (*write)(int address, int count, const int* buffer);
};

// The image the block operations use in file mode; without one, file mode
// refuses every block.
void link_use_image(const LinkImage* image);
