// Prints the stored form of a password for a given seed: password_code_tool SEED TEXT
#include <stdio.h>
#include <stdlib.h>

#include "ui/password_code.h"

int main(int argc, char** argv)
{
    if (argc != 3)
        return 2;
    char code[PASSWORD_CODE_TEXT];
    ScrambleCodeWithSeed(argv[2], static_cast<uint32_t>(strtoul(argv[1], nullptr, 0)), code);
    puts(code);
    return 0;
}
