#pragma once
// Pages of one 256-byte block that the internal port editor and the city
// line editor share: the frame every such page runs in, the four
// general-call groups and the operating variants per station mode. Each
// page is given its texts, offsets, parameters and the way the user moves
// between blocks, so one page serves ports and lines alike.

#include <functional>
#include <string>
#include <vector>

#include "karvel/catalogue.h"
#include "karvel/field_rows.h"
#include "toolkit/field_page.h"
#include "toolkit/screen.h"

// The block a page edits and how the user reaches the others: Home, PgUp,
// PgDn and End step through 1..last, F9 (where there is a prompt) asks.
struct BlockChoice {
  int* current;                      // the port or line number shown
  int (*block_address)(int number);  // the number's 256-byte block
  int (*last)();                     // the highest number
  int (*ask_other)(int number) = nullptr;  // F9's prompt: the number chosen, or `number`
};

// ------------------------------------------------------- pages of rows

// A page of sixteen rows of one block. Row r's parameter and help topic is
// r + number_base; only the first `topic_rows` rows have a topic, F10 on
// the others does nothing. A page whose number_base is own_topics takes
// each row's topic and its field's level (0: none is loaded) instead.
constexpr int own_topics = -1;
struct RowPage {
  const char* title;  // at title_column of row 2, blanked before
  int title_column;
  PageRow rows[16];
  int number_base;
  int topic_rows = 16;
  int label_column = 5;
  // A row without a label (those left out at the end too) shows its letter
  // and dots to this width.
  int dotted_width = 54;
};

// The page in the frame of a block's pages (its number, the block-switching
// keys, F10 and Enter); values at column 60, units at 65.
void run_row_page(const RowPage& page, const BlockChoice& choice);
// A page of rows of station-wide fields, with no block: the screen is
// cleared for it, its hints are the edit page's. F10 shows the row's topic,
// Enter runs its field's editor (typed numbers show their keys before any
// access code is asked). `keys` come before the rows' own: a row of a kind
// of its own takes its keys there, and `show_more` shows it.
void run_settings_row_page(const RowPage& page, std::vector<PageKey> keys,
                           const std::function<void(const GridCursor& grid)>& show_more);
// The help topics F10 shows on the pages.
std::vector<int> row_page_topics(std::initializer_list<const RowPage*> pages);
// The page's rows `first_row`..`last_row` of a block as settings of the
// section; `own_level` false lists them with no protection level.
void list_row_page(KarvelListing& listing, const RowPage& page, const std::string& section, int block,
                   int first_row = 1, bool own_level = true, int last_row = 16);

// ------------------------------------------------------- general-call groups

struct CallGroupsPage {
  const char* title;   // at column 20, row 2, over the page menu's line
  int groups_offset;   // group g (1..4) at groups_offset + 16 (g - 1) of the block
  int parameter;       // protection level and help topic of every member
  bool port_key_hint;
};

// Four strips of 16 members; each edit packs its group again, with 255 in
// the free places.
void run_call_groups_page(const CallGroupsPage& page, const BlockChoice& choice);
// The help topics F10 shows on the page.
std::vector<int> call_groups_topics(const CallGroupsPage& page);
// The four groups of a block as settings of the section.
void list_call_groups(KarvelListing& listing, const CallGroupsPage& page, const std::string& section, int block);

// ------------------------------------------------------ operating variants

// A row of the variants table below the mode names: its label (printed at
// column 3) and its field, whose address is the offset of station mode 0;
// mode m adds `mode_step` x m.
struct VariantRow {
  const char* label;
  FieldRow field;  // field.level is the row's parameter and help topic
};

struct VariantsPage {
  const char* title;
  ScreenPos title_at;
  int blank_from, blank_width;  // of row 2, where the page menu's line stood
  const VariantRow* rows;       // grid rows 2, 3, ..; labels from screen row 9
  int row_count;
  int mode_step;
  bool port_key_hint;
};

// The table of the four station modes: row 1 the mode names (the station's
// current mode, the mode byte read whenever the values are shown, in the box
// colour), the page's rows below. The cursor starts on row 2.
void run_variants_page(const VariantsPage& page, const BlockChoice& choice);
// The help topics F10 shows on the page: the mode names and every row.
std::vector<int> variants_topics(const VariantsPage& page);
// Every row of a block in each station mode as settings of the section.
void list_variants(KarvelListing& listing, const VariantsPage& page, const std::string& section, int block);
