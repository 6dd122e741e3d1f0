#include "settings/listing_commands.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace {

struct ListingRequest {
  std::vector<std::string> files;  // one to show, two to compare
  bool compare = false;
  ListingFormat format = ListingFormat::text;
  bool format_given = false;
};

// The request the arguments make, or the usage problem in `problem`.
ListingRequest parse(int argc, char** argv, std::string& problem) {
  ListingRequest request;
  bool command = false;
  for (int i = 1; i < argc && problem.empty(); ++i) {
    const std::string_view a = argv[i];
    const int left = argc - 1 - i;
    if ((a == "--show" || a == "--compare") && command) {
      problem = "give one of --show and --compare";
    } else if (a == "--show" || a == "--compare") {
      command = true;
      request.compare = a == "--compare";
      const int files = request.compare ? 2 : 1;
      if (left < files) {
        problem = std::string(a) + (request.compare ? " needs two settings files" : " needs a settings file");
        break;
      }
      for (int k = 1; k <= files; ++k) request.files.push_back(argv[i + k]);
      i += files;
    } else if (a == "--format") {
      if (left < 1) {
        problem = "--format needs text or tsv";
        break;
      }
      const std::string_view f = argv[++i];
      if (f != "text" && f != "tsv") problem = "--format is text or tsv, not " + std::string(f);
      request.format = f == "tsv" ? ListingFormat::tsv : ListingFormat::text;
      request.format_given = true;
    } else {
      problem = "unknown argument " + std::string(a);
    }
  }
  if (problem.empty() && request.format_given && request.compare) problem = "--format goes with --show";
  if (problem.empty() && !command) problem = "--format goes with --show";
  return request;
}

bool asks_for_listing(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--show" || a == "--compare" || a == "--format") return true;
  }
  return false;
}

int fail(const CatalogueModel& model, const std::string& problem) {
  std::fprintf(stderr, "%s: %s\n", model.program, problem.c_str());
  return 2;
}

}  // namespace

std::optional<int> run_listing_commands(int argc, char** argv, const CatalogueModel& model) {
  if (!asks_for_listing(argc, argv)) return std::nullopt;
  std::string problem;
  const ListingRequest request = parse(argc, argv, problem);
  if (!problem.empty()) return fail(model, problem + " (see " + model.program + " --help)");
  std::vector<Configuration> configurations(request.files.size());
  for (std::size_t i = 0; i < request.files.size(); ++i) {
    problem = read_configuration(model, request.files[i], configurations[i]);
    if (!problem.empty()) return fail(model, problem);
  }
  int status = 0;
  if (request.compare)
    status = compare_configurations(configurations[0], configurations[1], stdout);
  else
    status = show_configuration(configurations[0], request.format, stdout);
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) return fail(model, "cannot write to standard output");
  return status;
}
