#include "settings/catalogue.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>

#include "platform/cp866.h"
#include "platform/files.h"
#include "settings/tomrik_companion.h"

Catalogue::Catalogue(int image_size) : held_(static_cast<std::size_t>(std::max(image_size, 0)), false) {}

bool Catalogue::add(Setting setting) {
  const int size = static_cast<int>(held_.size());
  for (const ImageSpan& span : setting.spans) {
    bool inside = span.offset >= 0 && span.size >= 1 && span.offset <= size - span.size;
    if (!inside || std::any_of(held_.begin() + span.offset, held_.begin() + span.offset + span.size,
                               [](bool held) { return held; })) {
      ++left_out_;
      return false;
    }
  }
  for (const ImageSpan& span : setting.spans) std::fill_n(held_.begin() + span.offset, span.size, true);
  settings_.push_back(std::move(setting));
  return true;
}

std::vector<RawRegion> Catalogue::raw_regions() const {
  std::vector<RawRegion> regions;
  const int size = static_cast<int>(held_.size());
  for (int i = 0; i < size;) {
    if (held_[i]) {
      ++i;
      continue;
    }
    int end = i;
    while (end < size && !held_[end]) ++end;
    regions.push_back({i, end - i});
    i = end;
  }
  return regions;
}

bool whole_configuration(const Configuration& configuration) {
  return configuration.model && configuration.image.size() == static_cast<std::size_t>(configuration.model->image_size);
}

Catalogue catalogue_of(const Configuration& configuration) {
  if (!whole_configuration(configuration)) return Catalogue(0);
  Catalogue catalogue(configuration.model->image_size);
  configuration.model->list(configuration, catalogue);
  return catalogue;
}

std::string read_configuration(const CatalogueModel& model, const std::string& path, Configuration& out) {
  std::FILE* file = platform::open_regular_file(path.c_str(), "rb");
  if (!file) return "cannot read " + path + ": " + std::strerror(errno);
  // One byte more than an image tells a longer file from one of the size.
  std::vector<std::uint8_t> bytes(static_cast<std::size_t>(model.image_size) + 1);
  std::size_t got = std::fread(bytes.data(), 1, bytes.size(), file);
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) return "cannot read " + path;
  const std::string not_settings = path + " is not a settings file of " + model.program + ": ";
  if (got != static_cast<std::size_t>(model.image_size))
    return not_settings + (got > static_cast<std::size_t>(model.image_size) ? "longer than " : std::to_string(got) + " bytes, not ") +
           std::to_string(model.image_size) + " bytes";
  bytes.resize(got);
  if (!model.suits(bytes.data())) return not_settings + "its identity is not one of this station model";
  std::vector<std::uint8_t> companion;
  if (model.keeps_companion) {
    const std::string books_path = tomrik_companion_path(path);
    TomrikCompanion books;
    bool found = false;
    switch (load_tomrik_companion(path, books)) {
      case CompanionLoad::ok: found = true; break;
      case CompanionLoad::missing: break;
      case CompanionLoad::cannot_read: return "cannot read " + books_path;
      case CompanionLoad::not_companion: return books_path + " is not a file of " + model.program + " phone books";
    }
    if (found) {
      if (!std::equal(books.identity.begin(), books.identity.end(), bytes.begin()))
        return books_path + " holds the phone books of another station than " + path;
      companion = encode_tomrik_companion(books);
    }
  }
  out.model = &model;
  out.image = std::move(bytes);
  out.companion = std::move(companion);
  return "";
}

// ---------------------------------------------------------------- texts

std::string trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

namespace {

std::string right_trimmed(const std::string& text) {
  const std::size_t last = text.find_last_not_of(' ');
  return last == std::string::npos ? "" : text.substr(0, last + 1);
}

bool is_row_letter(const std::string& text) { return text.size() >= 2 && text[1] == '/' && text[0] >= 'a' && text[0] <= 'z'; }

// A closing hint of the value's form, "(Да/Нет)" or "(0-255)"; a bracket
// that tells rows apart ("(N 1)") stays.
std::string without_form_hint(const std::string& text) {
  if (text.empty() || text.back() != ')') return text;
  const std::size_t open = text.rfind(" (");
  if (open == std::string::npos) return text;
  const std::string inside = text.substr(open + 2);
  if (inside.find('/') == std::string::npos && inside.find('-') == std::string::npos) return text;
  return right_trimmed(text.substr(0, open));
}

}  // namespace

ListedLabel listed_label(const std::string& screen_label) {
  std::string text = is_row_letter(screen_label) ? screen_label.substr(2) : screen_label;
  ListedLabel listed;
  // The value is led to by dots, or stands after a run of blanks; what
  // follows the lead is the unit.
  std::size_t lead = std::min(text.find(".."), text.find("   "));
  if (lead != std::string::npos) {
    std::size_t unit = text.find_first_not_of(". ", lead);
    if (unit != std::string::npos) listed.unit = trimmed(text.substr(unit));
    text = text.substr(0, lead);
    while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
  } else {
    text = right_trimmed(text);
    if (text.size() >= 2 && text.back() == '.' && text[text.size() - 2] == ' ') text = right_trimmed(text.substr(0, text.size() - 1));
  }
  listed.label = without_form_hint(trimmed(text));
  // A row with dots only is named by its letter.
  if (listed.label.empty() && is_row_letter(screen_label)) listed.label = screen_label.substr(0, 1);
  return listed;
}

std::vector<ListedLabel> listed_labels(const std::vector<std::string>& screen_labels) {
  std::vector<ListedLabel> labels;
  std::map<std::string, int> uses;
  for (const std::string& label : screen_labels) {
    labels.push_back(listed_label(label));
    ++uses[labels.back().label];
  }
  for (std::size_t i = 0; i < labels.size(); ++i)
    if (uses[labels[i].label] > 1 && is_row_letter(screen_labels[i]))
      labels[i].label = screen_labels[i].substr(0, 2) + labels[i].label;
  return labels;
}

std::string menu_entry_name(const std::string& entry) {
  std::string text = trimmed(entry);
  std::size_t digits = 0;
  while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') ++digits;
  if (digits > 0 && digits < text.size() && text[digits] == '.') text = text.substr(digits + 1);
  return trimmed(text);
}

std::string hex_bytes(const std::uint8_t* bytes, int count) {
  static const char digits[] = "0123456789ABCDEF";
  std::string text;
  for (int i = 0; i < count;) {
    int run = 1;
    while (i + run < count && bytes[i + run] == bytes[i]) ++run;
    if (!text.empty()) text += ' ';
    const std::string hex{digits[bytes[i] >> 4], digits[bytes[i] & 0x0F]};
    if (run >= 4) {
      text += hex + "*" + std::to_string(run);
      i += run;
    } else {
      text += hex;
      ++i;
    }
  }
  return text;
}

std::string listed_value(const std::string& shown, const std::string& unit, bool exact, const std::uint8_t* bytes,
                         int count, bool places_count) {
  std::string value = places_count ? right_trimmed(shown) : trimmed(shown);
  if (!value.empty() && !unit.empty()) value += " " + unit;
  if (!exact) value += (value.empty() ? "[" : " [") + hex_bytes(bytes, count) + "]";
  return value;
}

// ------------------------------------------------------------ listing

namespace {

const std::string raw_section = "Прочие байты"_cp;

// CP866 lines, each ended by '\n', as UTF-8 lines: the line ends stay line
// ends rather than the glyph their byte has on a text-mode screen.
void put_utf8(std::FILE* out, const std::string& cp866_lines) {
  std::string text;
  std::size_t start = 0;
  for (std::size_t end; (end = cp866_lines.find('\n', start)) != std::string::npos; start = end + 1)
    text += cp866::to_utf8(cp866_lines.substr(start, end - start)) + "\n";
  std::fwrite(text.data(), 1, text.size(), out);
}

std::string address_text(int address) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%04X", address);
  return text;
}

std::string range_text(const CatalogueModel& model, const RawRegion& region) {
  const int first = model.address_base + region.offset;
  std::string text = address_text(first);
  if (region.size > 1) text += ".." + address_text(first + region.size - 1);
  return text;
}

std::string setting_line(const Setting& s) {
  return s.section + " / " + s.label + ":" + (s.value.empty() ? "" : " " + s.value);
}

// A row of columns as UTF-8, the columns apart by tabs (whose byte would
// otherwise turn into its screen glyph).
std::string tsv_row(std::initializer_list<std::string> columns) {
  std::string row;
  for (const std::string& column : columns) row += (&column == columns.begin() ? "" : "\t") + cp866::to_utf8(column);
  return row;
}

std::string tsv_line(const std::string& section, const std::string& label, int parameter, const std::string& place,
                     const std::string& value) {
  return tsv_row({section, label, parameter > 0 ? std::to_string(parameter) : "", place, value});
}

}  // namespace

std::vector<std::string> configuration_lines(const Configuration& configuration, ListingFormat format) {
  if (!whole_configuration(configuration)) return {};
  const CatalogueModel& model = *configuration.model;
  const Catalogue catalogue = catalogue_of(configuration);
  const bool tsv = format == ListingFormat::tsv;
  std::vector<std::string> lines;
  if (tsv) lines.push_back(tsv_row({"Раздел"_cp, "Установка"_cp, "Параметр"_cp, "Место"_cp, "Значение"_cp}));
  for (const Setting& s : catalogue.settings())
    lines.push_back(tsv ? tsv_line(s.section, s.label, s.parameter, s.place, s.value) : cp866::to_utf8(setting_line(s)));
  for (const RawRegion& region : catalogue.raw_regions()) {
    const std::string range = range_text(model, region);
    const std::string bytes = hex_bytes(configuration.image.data() + region.offset, region.size);
    lines.push_back(tsv ? tsv_line(raw_section, range, 0, range + " (" + std::to_string(region.size) + ")", bytes)
                        : cp866::to_utf8(raw_section + " / " + range + ": " + bytes));
  }
  return lines;
}

int show_configuration(const Configuration& configuration, ListingFormat format, std::FILE* out) {
  if (!whole_configuration(configuration)) return 2;
  std::string text;
  for (const std::string& line : configuration_lines(configuration, format)) text += line + "\n";
  std::fwrite(text.data(), 1, text.size(), out);
  return 0;
}

// ------------------------------------------------------------ comparing

namespace {

std::string shown_value(const std::string& value) { return value.empty() ? "(пусто)"_cp : value; }

std::string setting_key(const Setting& s) { return s.section + '\t' + s.label + '\t' + s.place; }

// Whether every byte of the region is held by no setting of the other
// catalogue either, and how many of those differ.
int differing_raw_bytes(const Configuration& a, const Configuration& b, const RawRegion& region,
                        const std::vector<bool>& raw_in_b) {
  int differ = 0;
  for (int i = region.offset; i < region.offset + region.size; ++i)
    if (raw_in_b[i] && a.image[i] != b.image[i]) ++differ;
  return differ;
}

std::string difference_line(const Setting& s, const std::string& in_a, const std::string& in_b) {
  return s.section + " / " + s.label + ": " + in_a + " -> " + in_b + "\n";
}

bool same_setting(const Setting& a, const Setting& b) {
  return a.place == b.place && a.label == b.label && a.section == b.section;
}

// The settings whose values differ, paired by section, label and place: two
// lists of one layout (one identity) pair up in order; otherwise a setting
// only one of them has is listed as missing from the other.
std::string differing_settings(const std::vector<Setting>& a, const std::vector<Setting>& b) {
  std::string text;
  if (a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), same_setting)) {
    for (std::size_t i = 0; i < a.size(); ++i)
      if (a[i].value != b[i].value) text += difference_line(a[i], shown_value(a[i].value), shown_value(b[i].value));
    return text;
  }
  std::map<std::string, const Setting*> b_settings;
  for (const Setting& s : b) b_settings.emplace(setting_key(s), &s);
  const std::string missing = "(отсутствует)"_cp;
  for (const Setting& s : a) {
    auto found = b_settings.find(setting_key(s));
    if (found == b_settings.end()) {
      text += difference_line(s, shown_value(s.value), missing);
      continue;
    }
    if (found->second->value != s.value) text += difference_line(s, shown_value(s.value), shown_value(found->second->value));
    b_settings.erase(found);
  }
  for (const Setting& s : b)
    if (b_settings.count(setting_key(s))) text += difference_line(s, missing, shown_value(s.value));
  return text;
}

}  // namespace

int compare_configurations(const Configuration& a, const Configuration& b, std::FILE* out) {
  if (!whole_configuration(a) || !whole_configuration(b) || a.model != b.model) return 2;
  const CatalogueModel& model = *a.model;
  std::string text;
  const std::string identity_a = model.identity(a.image.data()), identity_b = model.identity(b.image.data());
  if (identity_a != identity_b) text += "Идентификация станции: "_cp + identity_a + " -> " + identity_b + "\n";

  const Catalogue in_a = catalogue_of(a), in_b = catalogue_of(b);
  text += differing_settings(in_a.settings(), in_b.settings());

  std::vector<bool> raw_in_b(static_cast<std::size_t>(model.image_size), false);
  for (const RawRegion& region : in_b.raw_regions())
    std::fill_n(raw_in_b.begin() + region.offset, region.size, true);
  for (const RawRegion& region : in_a.raw_regions()) {
    if (int differ = differing_raw_bytes(a, b, region, raw_in_b))
      text += raw_section + " / " + range_text(model, region) + ": " + "различаются"_cp + " " + std::to_string(differ) +
              " " + "из"_cp + " " + std::to_string(region.size) + "\n";
  }
  put_utf8(out, text);
  return text.empty() ? 0 : 1;
}
