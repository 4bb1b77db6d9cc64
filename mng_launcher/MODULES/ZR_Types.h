#ifndef ZR_TYPES_H
#define ZR_TYPES_H

#include <cstdint>

// The program's own integer and boolean type names, used in every signal and slot signature.
// main() registers them with the meta-type system so queued connections can carry them.
typedef bool Bool;
typedef unsigned char Byte;
typedef unsigned short Word;
typedef unsigned int DWord;
typedef unsigned long long QWord;
typedef signed char SByte;
typedef short SWord;
typedef int SDWord;

#endif // ZR_TYPES_H
