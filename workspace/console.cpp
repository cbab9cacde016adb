#include "workspace/console.h"

#include <iostream>

bool ReadWord(std::string& word) {
    word.clear();
    return static_cast<bool>(std::cin >> word);
}

std::string ReadWord() {
    std::string word;
    ReadWord(word);
    return word;
}

void PrintLine(const std::string& text) { std::cout << text << std::endl; }
