// stationsim's numeric options: values out of range or not numbers at all
// are refused with a message naming the option and exit status 2, before
// any line is made; the extremes of each range are taken.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

std::string stationsim_path() {
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return {};
  std::string path(self, static_cast<std::size_t>(n));
  return path.substr(0, path.rfind('/') + 1) + "stationsim";
}

struct RunResult {
  int status = -1;
  std::string stderr_text;
};

// Runs stationsim with the arguments; its standard output is thrown away.
// A run that does not end by itself is stopped and has status -1.
RunResult run_stationsim(const std::vector<std::string>& args) {
  RunResult run;
  std::string program = stationsim_path();
  int err[2];
  if (pipe(err) != 0) return run;
  pid_t child = fork();
  if (child == 0) {
    dup2(err[1], STDERR_FILENO);
    close(err[0]);
    close(err[1]);
    if (!freopen("/dev/null", "w", stdout)) _exit(126);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    alarm(10);  // a simulator that took the options would serve for ever
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(err[1]);
  char buffer[512];
  ssize_t n;
  while ((n = read(err[0], buffer, sizeof buffer)) > 0) run.stderr_text.append(buffer, static_cast<std::size_t>(n));
  close(err[0]);
  int status = 0;
  waitpid(child, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

struct StationsimArguments : ::testing::Test {
  void SetUp() override {
    if (access(stationsim_path().c_str(), X_OK) != 0) GTEST_SKIP() << "no stationsim beside the tests";
  }
};

TEST_F(StationsimArguments, NumbersOutOfRangeOrMalformedAreRefused) {
  const std::vector<std::vector<std::string>> refused = {
      {"--baud", "0"},          {"--baud", "4294976896"},  // wraps to 9600 in an int
      {"--baud", "-9600"},      {"--baud", "9600x"},       {"--baud", ""},
      {"--baud", " 9600"},      {"--baud", "12345"},
      {"--drop", "1.5"},        {"--drop", "-0.1"},        {"--drop", ""},
      {"--corrupt", "nan"},     {"--corrupt", "inf"},      {"--late", "0.5%"},
      {"--late", " 0.5"},
      {"--seed", "-1"},         {"--seed", "18446744073709551616"},  // one past the largest
      {"--seed", "1e3"},        {"--seed", ""},
  };
  for (const auto& args : refused) {
    RunResult run = run_stationsim(args);
    EXPECT_EQ(run.status, 2) << args[0] << " \"" << args[1] << "\"";
    EXPECT_NE(run.stderr_text.find(args[0]), std::string::npos) << run.stderr_text;
  }
}

TEST_F(StationsimArguments, TheEndsOfEachRangeAreTaken) {
  // --help after the options ends the run once they are all read.
  RunResult run = run_stationsim({"--baud", "57600", "--drop", "0", "--corrupt", "1", "--late", "0.25", "--seed",
                            "18446744073709551615", "--help"});
  EXPECT_EQ(run.status, 0) << run.stderr_text;
  run = run_stationsim({"--model", "tomrik", "--baud", "4800", "--seed", "0", "--help"});
  EXPECT_EQ(run.status, 0) << run.stderr_text;
}

}  // namespace
