#pragma once
// Console words and lines: answers are read as white-space separated words, so words typed ahead
// feed later prompts; every message is one line, flushed.
#include <string>

// False when no word could be read (end of input or a stream error); the word is then empty.
bool ReadWord(std::string& word);
std::string ReadWord();

void PrintLine(const std::string& text);
