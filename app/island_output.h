#pragma once
// What the islands of an island run print. Island 0 prints as a single run would; the others print
// nothing, but keep what they say until their run starts, to tell why when they could not start.
#include <sstream>
#include <streambuf>

class IslandOutput {
  public:
    explicit IslandOutput(int number);
    ~IslandOutput();  // standard output as it was
    IslandOutput(const IslandOutput&) = delete;
    IslandOutput& operator=(const IslandOutput&) = delete;

    // A silent island writes what it kept to standard error, each line after "island N: ".
    void CouldNotStart();
    // A silent island drops whatever it says from here on.
    void Started();

  private:
    struct Discard : std::streambuf {
        int overflow(int c) override { return traits_type::not_eof(c); }
    };

    int island;
    std::streambuf* saved = nullptr;  // null on island 0
    std::stringbuf kept;
    Discard discard;
};
