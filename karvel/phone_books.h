#pragma once
// Phone books of karvel: the station book at 0xE000, the pool at 0xC000
// whose cells the individual books hold their numbers in, and each port's
// nine entries into that pool. The screens themselves are in screens.h.

// The first pool cell an individual book may be given: its first byte is 0
// or 255 and no entry of any port 1..port_count names it, so two ports never
// share a cell, even one whose number was cleared. 0 when all 99 cells are
// taken; -1 when the station could not be read (the link showed its box).
int find_free_pool_cell(int base);
