#pragma once
// The catalogue of a configuration: every setting of a settings image as the
// screens name and show it, in the menus' order, and every byte no setting
// holds in raw regions, so that a listing or a comparison hides nothing of a
// file. Each program lists its own model from the tables that draw its
// screens; this layer keeps the list, lists it and compares two of them.
//
// Texts are CP866 here; what goes out to other tools is UTF-8.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// A run of bytes of the image.
struct ImageSpan {
  int offset;
  int size;
};

struct Setting {
  std::string section;  // the menus' names, "Порт 5 / Основные установки"
  std::string label;    // as the screen shows it
  int parameter = 0;    // karvel: the parameter whose protection level guards it; 0 none
  std::string place;    // where it lives, as the listing names it
  std::vector<ImageSpan> spans;  // its bytes in the image; none for a setting kept beside it
  std::string value;    // as the screen shows it
  // Bytes of other settings the value shows too (the name of the mode a
  // mode byte names); they stay those settings' own.
  std::vector<ImageSpan> reads;
};

// A run of bytes no setting holds.
using RawRegion = ImageSpan;

class Catalogue {
 public:
  explicit Catalogue(int image_size);
  // Adds a setting whose bytes lie inside the image and belong to no
  // setting before it. One that would reach outside the image or share a
  // byte (where an untrusted identity lays blocks over one another) is left
  // out and counted: its bytes stay with the first setting that holds them.
  bool add(Setting setting);
  const std::vector<Setting>& settings() const { return settings_; }
  int left_out() const { return left_out_; }
  // The runs of bytes no setting holds, in image order.
  std::vector<RawRegion> raw_regions() const;

 private:
  std::vector<Setting> settings_;
  std::vector<bool> held_;
  int left_out_ = 0;
};

struct Configuration;

// What the listing and the comparison need to know of a station model.
struct CatalogueModel {
  const char* program;  // "karvel", "tomrik"
  int image_size;
  // Image offset 0 as the listing names it: karvel names raw bytes by their
  // station address (0x8000 up), tomrik by their image offset.
  int address_base;
  // True when an image of the right size is a configuration of this model.
  bool (*suits)(const std::uint8_t* image);
  // The station identity an image holds, as text.
  std::string (*identity)(const std::uint8_t* image);
  // Every setting of a configuration in the menus' order. A model that
  // keeps settings beside the image (in a companion file) lists them too,
  // from `companion`, as settings without spans.
  void (*list)(const Configuration& configuration, Catalogue& out);
  // tomrik: a settings file may have its phone books beside it, in the
  // companion file of tomrik_companion.h, which read_configuration reads
  // into `companion`.
  bool keeps_companion;
};

struct Configuration {
  const CatalogueModel* model = nullptr;
  std::vector<std::uint8_t> image;  // model->image_size bytes
  // Whatever the model keeps beside the image (tomrik's phone books, from
  // the companion file of a settings file); empty when there is none.
  std::vector<std::uint8_t> companion;
};

// True when the configuration has its model and a whole image of it; the
// listing and the comparison take nothing else.
bool whole_configuration(const Configuration& configuration);
// Every setting of a whole configuration; none of any other.
Catalogue catalogue_of(const Configuration& configuration);

// Reads a settings file of the model: an empty text when it was read whole,
// else one line saying why not (it cannot be read, its size is not an
// image's, its identity is not this model's). A model that keeps a companion
// file reads it too where there is one, and refuses one that cannot be read,
// is not such a file, or is of another station.
std::string read_configuration(const CatalogueModel& model, const std::string& path, Configuration& out);

enum class ListingFormat { text, tsv };

// The whole configuration as UTF-8 text: one setting a line
// ("section / label: value"), then the raw regions; or the same as
// tab-separated columns (section, label, parameter, place, value) under a
// heading line. 0 when listed; 2, with nothing written, for a configuration
// that is not whole.
int show_configuration(const Configuration& configuration, ListingFormat format, std::FILE* out);
// The same lines, in UTF-8 without their line ends.
std::vector<std::string> configuration_lines(const Configuration& configuration, ListingFormat format);

// The settings that differ between two configurations of one model, one a
// line with the value in a and in b, then the raw regions that differ (their
// range and how many bytes differ); a different identity is said first.
// 0 when the two are the same, 1 when they differ; 2, with nothing written,
// when either is not whole or the two are of different models.
int compare_configurations(const Configuration& a, const Configuration& b, std::FILE* out);

// ---- Helpers for the models' lists ---------------------------------------

// A screen label as the listing names it: without the row's letter ("a/"),
// the dots that lead to the value, the unit after them and a closing hint in
// brackets ("(Да/Нет)"); the unit apart, for the value.
struct ListedLabel {
  std::string label;
  std::string unit;
};
ListedLabel listed_label(const std::string& screen_label);
// The labels of one page's rows: where two rows would read alike, both keep
// their letter ("j/Не беспокоить ...").
std::vector<ListedLabel> listed_labels(const std::vector<std::string>& screen_labels);
// A menu entry's text without its number ("2.Установки ..." gives
// "Установки ...") and the blanks around it.
std::string menu_entry_name(const std::string& entry);
// A screen text without the blanks around it.
std::string trimmed(const std::string& text);
// A value as the listing gives it: the screen's text without blanks at its
// ends (or, for a run of characters or digits whose places count, at its
// end only), then the unit; and where the bytes are not what an edit would
// store for that text (so the text alone would hide them), the bytes in
// hexadecimal ("Да [05]").
std::string listed_value(const std::string& shown, const std::string& unit, bool exact, const std::uint8_t* bytes,
                         int count, bool places_count = false);
// Bytes in hexadecimal, runs of four or more alike as "00*16".
std::string hex_bytes(const std::uint8_t* bytes, int count);
