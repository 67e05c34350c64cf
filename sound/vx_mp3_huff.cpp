// Layer III Huffman decoding of the spectral values (big-value pairs with linbits, count1 quadruples) and their requantisation.
//
// The code tables are the published ones (x, y, hcod, hlen per table); at
// first use they are turned into lookup trees: one 8-bit first step, then
// steps of at most 6 bits for the longer codes, so that most values cost one
// table read. Requantisation multiplies |value|^(4/3) by the band's gain
// 2^(q/4), q counted in quarter steps from the global gain, the subblock
// gain and the scale factors.
#include <cmath>
#include <cstring>
#include <mutex>

#include "sound/vx_mp3_dec.h"

namespace {

// Table 1: 2x2.
constexpr uint16_t CODE_1[4] = {
    1, 1,
    1, 0,
};
constexpr uint8_t LEN_1[4] = {
    1, 3,
    2, 3,
};
// Table 2: 3x3.
constexpr uint16_t CODE_2[9] = {
    1, 2, 1,
    3, 1, 1,
    3, 2, 0,
};
constexpr uint8_t LEN_2[9] = {
    1, 3, 6,
    3, 3, 5,
    5, 5, 6,
};
// Table 3: 3x3.
constexpr uint16_t CODE_3[9] = {
    3, 2, 1,
    1, 1, 1,
    3, 2, 0,
};
constexpr uint8_t LEN_3[9] = {
    2, 2, 6,
    3, 2, 5,
    5, 5, 6,
};
// Table 5: 4x4.
constexpr uint16_t CODE_5[16] = {
    1, 2, 6, 5,
    3, 1, 4, 4,
    7, 5, 7, 1,
    6, 1, 1, 0,
};
constexpr uint8_t LEN_5[16] = {
    1, 3, 6, 7,
    3, 3, 6, 7,
    6, 6, 7, 8,
    7, 6, 7, 8,
};
// Table 6: 4x4.
constexpr uint16_t CODE_6[16] = {
    7, 3, 5, 1,
    6, 2, 3, 2,
    5, 4, 4, 1,
    3, 3, 2, 0,
};
constexpr uint8_t LEN_6[16] = {
    3, 3, 5, 7,
    3, 2, 4, 5,
    4, 4, 5, 6,
    6, 5, 6, 7,
};
// Table 7: 6x6.
constexpr uint16_t CODE_7[36] = {
    1, 2, 10, 19, 16, 10,
    3, 3, 7, 10, 5, 3,
    11, 4, 13, 17, 8, 4,
    12, 11, 18, 15, 11, 2,
    7, 6, 9, 14, 3, 1,
    6, 4, 5, 3, 2, 0,
};
constexpr uint8_t LEN_7[36] = {
    1, 3, 6, 8, 8, 9,
    3, 4, 6, 7, 7, 8,
    6, 5, 7, 8, 8, 9,
    7, 7, 8, 9, 9, 9,
    7, 7, 8, 9, 9, 10,
    8, 8, 9, 10, 10, 10,
};
// Table 8: 6x6.
constexpr uint16_t CODE_8[36] = {
    3, 4, 6, 18, 12, 5,
    5, 1, 2, 16, 9, 3,
    7, 3, 5, 14, 7, 3,
    19, 17, 15, 13, 10, 4,
    13, 5, 8, 11, 5, 1,
    12, 4, 4, 1, 1, 0,
};
constexpr uint8_t LEN_8[36] = {
    2, 3, 6, 8, 8, 9,
    3, 2, 4, 8, 8, 8,
    6, 4, 6, 8, 8, 9,
    8, 8, 8, 9, 9, 10,
    8, 7, 8, 9, 10, 10,
    9, 8, 9, 9, 11, 11,
};
// Table 9: 6x6.
constexpr uint16_t CODE_9[36] = {
    7, 5, 9, 14, 15, 7,
    6, 4, 5, 5, 6, 7,
    7, 6, 8, 8, 8, 5,
    15, 6, 9, 10, 5, 1,
    11, 7, 9, 6, 4, 1,
    14, 4, 6, 2, 6, 0,
};
constexpr uint8_t LEN_9[36] = {
    3, 3, 5, 6, 8, 9,
    3, 3, 4, 5, 6, 8,
    4, 4, 5, 6, 7, 8,
    6, 5, 6, 7, 7, 8,
    7, 6, 7, 7, 8, 9,
    8, 7, 8, 8, 9, 9,
};
// Table 10: 8x8.
constexpr uint16_t CODE_10[64] = {
    1, 2, 10, 23, 35, 30, 12, 17,
    3, 3, 8, 12, 18, 21, 12, 7,
    11, 9, 15, 21, 32, 40, 19, 6,
    14, 13, 22, 34, 46, 23, 18, 7,
    20, 19, 33, 47, 27, 22, 9, 3,
    31, 22, 41, 26, 21, 20, 5, 3,
    14, 13, 10, 11, 16, 6, 5, 1,
    9, 8, 7, 8, 4, 4, 2, 0,
};
constexpr uint8_t LEN_10[64] = {
    1, 3, 6, 8, 9, 9, 9, 10,
    3, 4, 6, 7, 8, 9, 8, 8,
    6, 6, 7, 8, 9, 10, 9, 9,
    7, 7, 8, 9, 10, 10, 9, 10,
    8, 8, 9, 10, 10, 10, 10, 10,
    9, 9, 10, 10, 11, 11, 10, 11,
    8, 8, 9, 10, 10, 10, 11, 11,
    9, 8, 9, 10, 10, 11, 11, 11,
};
// Table 11: 8x8.
constexpr uint16_t CODE_11[64] = {
    3, 4, 10, 24, 34, 33, 21, 15,
    5, 3, 4, 10, 32, 17, 11, 10,
    11, 7, 13, 18, 30, 31, 20, 5,
    25, 11, 19, 59, 27, 18, 12, 5,
    35, 33, 31, 58, 30, 16, 7, 5,
    28, 26, 32, 19, 17, 15, 8, 14,
    14, 12, 9, 13, 14, 9, 4, 1,
    11, 4, 6, 6, 6, 3, 2, 0,
};
constexpr uint8_t LEN_11[64] = {
    2, 3, 5, 7, 8, 9, 8, 9,
    3, 3, 4, 6, 8, 8, 7, 8,
    5, 5, 6, 7, 8, 9, 8, 8,
    7, 6, 7, 9, 8, 10, 8, 9,
    8, 8, 8, 9, 9, 10, 9, 10,
    8, 8, 9, 10, 10, 11, 10, 11,
    8, 7, 7, 8, 9, 10, 10, 10,
    8, 7, 8, 9, 10, 10, 10, 10,
};
// Table 12: 8x8.
constexpr uint16_t CODE_12[64] = {
    9, 6, 16, 33, 41, 39, 38, 26,
    7, 5, 6, 9, 23, 16, 26, 11,
    17, 7, 11, 14, 21, 30, 10, 7,
    17, 10, 15, 12, 18, 28, 14, 5,
    32, 13, 22, 19, 18, 16, 9, 5,
    40, 17, 31, 29, 17, 13, 4, 2,
    27, 12, 11, 15, 10, 7, 4, 1,
    27, 12, 8, 12, 6, 3, 1, 0,
};
constexpr uint8_t LEN_12[64] = {
    4, 3, 5, 7, 8, 9, 9, 9,
    3, 3, 4, 5, 7, 7, 8, 8,
    5, 4, 5, 6, 7, 8, 7, 8,
    6, 5, 6, 6, 7, 8, 8, 8,
    7, 6, 7, 7, 8, 8, 8, 9,
    8, 7, 8, 8, 8, 9, 8, 9,
    8, 7, 7, 8, 8, 9, 9, 10,
    9, 8, 8, 9, 9, 9, 9, 10,
};
// Table 13: 16x16.
constexpr uint16_t CODE_13[256] = {
    1, 5, 14, 21, 34, 51, 46, 71, 42, 52, 68, 52, 67, 44, 43, 19,
    3, 4, 12, 19, 31, 26, 44, 33, 31, 24, 32, 24, 31, 35, 22, 14,
    15, 13, 23, 36, 59, 49, 77, 65, 29, 40, 30, 40, 27, 33, 42, 16,
    22, 20, 37, 61, 56, 79, 73, 64, 43, 76, 56, 37, 26, 31, 25, 14,
    35, 16, 60, 57, 97, 75, 114, 91, 54, 73, 55, 41, 48, 53, 23, 24,
    58, 27, 50, 96, 76, 70, 93, 84, 77, 58, 79, 29, 74, 49, 41, 17,
    47, 45, 78, 74, 115, 94, 90, 79, 69, 83, 71, 50, 59, 38, 36, 15,
    72, 34, 56, 95, 92, 85, 91, 90, 86, 73, 77, 65, 51, 44, 43, 42,
    43, 20, 30, 44, 55, 78, 72, 87, 78, 61, 46, 54, 37, 30, 20, 16,
    53, 25, 41, 37, 44, 59, 54, 81, 66, 76, 57, 54, 37, 18, 39, 11,
    35, 33, 31, 57, 42, 82, 72, 80, 47, 58, 55, 21, 22, 26, 38, 22,
    53, 25, 23, 38, 70, 60, 51, 36, 55, 26, 34, 23, 27, 14, 9, 7,
    34, 32, 28, 39, 49, 75, 30, 52, 48, 40, 52, 28, 18, 17, 9, 5,
    45, 21, 34, 64, 56, 50, 49, 45, 31, 19, 12, 15, 10, 7, 6, 3,
    48, 23, 20, 39, 36, 35, 53, 21, 16, 23, 13, 10, 6, 1, 4, 2,
    16, 15, 17, 27, 25, 20, 29, 11, 17, 12, 16, 8, 1, 1, 0, 1,
};
constexpr uint8_t LEN_13[256] = {
    1, 4, 6, 7, 8, 9, 9, 10, 9, 10, 11, 11, 12, 12, 13, 13,
    3, 4, 6, 7, 8, 8, 9, 9, 9, 9, 10, 10, 11, 12, 12, 12,
    6, 6, 7, 8, 9, 9, 10, 10, 9, 10, 10, 11, 11, 12, 13, 13,
    7, 7, 8, 9, 9, 10, 10, 10, 10, 11, 11, 11, 11, 12, 13, 13,
    8, 7, 9, 9, 10, 10, 11, 11, 10, 11, 11, 12, 12, 13, 13, 14,
    9, 8, 9, 10, 10, 10, 11, 11, 11, 11, 12, 11, 13, 13, 14, 14,
    9, 9, 10, 10, 11, 11, 11, 11, 11, 12, 12, 12, 13, 13, 14, 14,
    10, 9, 10, 11, 11, 11, 12, 12, 12, 12, 13, 13, 13, 14, 16, 16,
    9, 8, 9, 10, 10, 11, 11, 12, 12, 12, 12, 13, 13, 14, 15, 15,
    10, 9, 10, 10, 11, 11, 11, 13, 12, 13, 13, 14, 14, 14, 16, 15,
    10, 10, 10, 11, 11, 12, 12, 13, 12, 13, 14, 13, 14, 15, 16, 17,
    11, 10, 10, 11, 12, 12, 12, 12, 13, 13, 13, 14, 15, 15, 15, 16,
    11, 11, 11, 12, 12, 13, 12, 13, 14, 14, 15, 15, 15, 16, 16, 16,
    12, 11, 12, 13, 13, 13, 14, 14, 14, 14, 14, 15, 16, 15, 16, 16,
    13, 12, 12, 13, 13, 13, 15, 14, 14, 17, 15, 15, 15, 17, 16, 16,
    12, 12, 13, 14, 14, 14, 15, 14, 15, 15, 16, 16, 19, 18, 19, 16,
};
// Table 15: 16x16.
constexpr uint16_t CODE_15[256] = {
    7, 12, 18, 53, 47, 76, 124, 108, 89, 123, 108, 119, 107, 81, 122, 63,
    13, 5, 16, 27, 46, 36, 61, 51, 42, 70, 52, 83, 65, 41, 59, 36,
    19, 17, 15, 24, 41, 34, 59, 48, 40, 64, 50, 78, 62, 80, 56, 33,
    29, 28, 25, 43, 39, 63, 55, 93, 76, 59, 93, 72, 54, 75, 50, 29,
    52, 22, 42, 40, 67, 57, 95, 79, 72, 57, 89, 69, 49, 66, 46, 27,
    77, 37, 35, 66, 58, 52, 91, 74, 62, 48, 79, 63, 90, 62, 40, 38,
    125, 32, 60, 56, 50, 92, 78, 65, 55, 87, 71, 51, 73, 51, 70, 30,
    109, 53, 49, 94, 88, 75, 66, 122, 91, 73, 56, 42, 64, 44, 21, 25,
    90, 43, 41, 77, 73, 63, 56, 92, 77, 66, 47, 67, 48, 53, 36, 20,
    71, 34, 67, 60, 58, 49, 88, 76, 67, 106, 71, 54, 38, 39, 23, 15,
    109, 53, 51, 47, 90, 82, 58, 57, 48, 72, 57, 41, 23, 27, 62, 9,
    86, 42, 40, 37, 70, 64, 52, 43, 70, 55, 42, 25, 29, 18, 11, 11,
    118, 68, 30, 55, 50, 46, 74, 65, 49, 39, 24, 16, 22, 13, 14, 7,
    91, 44, 39, 38, 34, 63, 52, 45, 31, 52, 28, 19, 14, 8, 9, 3,
    123, 60, 58, 53, 47, 43, 32, 22, 37, 24, 17, 12, 15, 10, 2, 1,
    71, 37, 34, 30, 28, 20, 17, 26, 21, 16, 10, 6, 8, 6, 2, 0,
};
constexpr uint8_t LEN_15[256] = {
    3, 4, 5, 7, 7, 8, 9, 9, 9, 10, 10, 11, 11, 11, 12, 13,
    4, 3, 5, 6, 7, 7, 8, 8, 8, 9, 9, 10, 10, 10, 11, 11,
    5, 5, 5, 6, 7, 7, 8, 8, 8, 9, 9, 10, 10, 11, 11, 11,
    6, 6, 6, 7, 7, 8, 8, 9, 9, 9, 10, 10, 10, 11, 11, 11,
    7, 6, 7, 7, 8, 8, 9, 9, 9, 9, 10, 10, 10, 11, 11, 11,
    8, 7, 7, 8, 8, 8, 9, 9, 9, 9, 10, 10, 11, 11, 11, 12,
    9, 7, 8, 8, 8, 9, 9, 9, 9, 10, 10, 10, 11, 11, 12, 12,
    9, 8, 8, 9, 9, 9, 9, 10, 10, 10, 10, 10, 11, 11, 11, 12,
    9, 8, 8, 9, 9, 9, 9, 10, 10, 10, 10, 11, 11, 12, 12, 12,
    9, 8, 9, 9, 9, 9, 10, 10, 10, 11, 11, 11, 11, 12, 12, 12,
    10, 9, 9, 9, 10, 10, 10, 10, 10, 11, 11, 11, 11, 12, 13, 12,
    10, 9, 9, 9, 10, 10, 10, 10, 11, 11, 11, 11, 12, 12, 12, 13,
    11, 10, 9, 10, 10, 10, 11, 11, 11, 11, 11, 11, 12, 12, 13, 13,
    11, 10, 10, 10, 10, 11, 11, 11, 11, 12, 12, 12, 12, 12, 13, 13,
    12, 11, 11, 11, 11, 11, 11, 11, 12, 12, 12, 12, 13, 13, 12, 13,
    12, 11, 11, 11, 11, 11, 11, 12, 12, 12, 12, 12, 13, 13, 13, 13,
};
// Table 16: 16x16.
constexpr uint16_t CODE_16[256] = {
    1, 5, 14, 44, 74, 63, 110, 93, 172, 149, 138, 242, 225, 195, 376, 17,
    3, 4, 12, 20, 35, 62, 53, 47, 83, 75, 68, 119, 201, 107, 207, 9,
    15, 13, 23, 38, 67, 58, 103, 90, 161, 72, 127, 117, 110, 209, 206, 16,
    45, 21, 39, 69, 64, 114, 99, 87, 158, 140, 252, 212, 199, 387, 365, 26,
    75, 36, 68, 65, 115, 101, 179, 164, 155, 264, 246, 226, 395, 382, 362, 9,
    66, 30, 59, 56, 102, 185, 173, 265, 142, 253, 232, 400, 388, 378, 445, 16,
    111, 54, 52, 100, 184, 178, 160, 133, 257, 244, 228, 217, 385, 366, 715, 10,
    98, 48, 91, 88, 165, 157, 148, 261, 248, 407, 397, 372, 380, 889, 884, 8,
    85, 84, 81, 159, 156, 143, 260, 249, 427, 401, 392, 383, 727, 713, 708, 7,
    154, 76, 73, 141, 131, 256, 245, 426, 406, 394, 384, 735, 359, 710, 352, 11,
    139, 129, 67, 125, 247, 233, 229, 219, 393, 743, 737, 720, 885, 882, 439, 4,
    243, 120, 118, 115, 227, 223, 396, 746, 742, 736, 721, 712, 706, 223, 436, 6,
    202, 224, 222, 218, 216, 389, 386, 381, 364, 888, 443, 707, 440, 437, 1728, 4,
    747, 211, 210, 208, 370, 379, 734, 723, 714, 1735, 883, 877, 876, 3459, 865, 2,
    377, 369, 102, 187, 726, 722, 358, 711, 709, 866, 1734, 871, 3458, 870, 434, 0,
    12, 10, 7, 11, 10, 17, 11, 9, 13, 12, 10, 7, 5, 3, 1, 3,
};
constexpr uint8_t LEN_16[256] = {
    1, 4, 6, 8, 9, 9, 10, 10, 11, 11, 11, 12, 12, 12, 13, 9,
    3, 4, 6, 7, 8, 9, 9, 9, 10, 10, 10, 11, 12, 11, 12, 8,
    6, 6, 7, 8, 9, 9, 10, 10, 11, 10, 11, 11, 11, 12, 12, 9,
    8, 7, 8, 9, 9, 10, 10, 10, 11, 11, 12, 12, 12, 13, 13, 10,
    9, 8, 9, 9, 10, 10, 11, 11, 11, 12, 12, 12, 13, 13, 13, 9,
    9, 8, 9, 9, 10, 11, 11, 12, 11, 12, 12, 13, 13, 13, 14, 10,
    10, 9, 9, 10, 11, 11, 11, 11, 12, 12, 12, 12, 13, 13, 14, 10,
    10, 9, 10, 10, 11, 11, 11, 12, 12, 13, 13, 13, 13, 15, 15, 10,
    10, 10, 10, 11, 11, 11, 12, 12, 13, 13, 13, 13, 14, 14, 14, 10,
    11, 10, 10, 11, 11, 12, 12, 13, 13, 13, 13, 14, 13, 14, 13, 11,
    11, 11, 10, 11, 12, 12, 12, 12, 13, 14, 14, 14, 15, 15, 14, 10,
    12, 11, 11, 11, 12, 12, 13, 14, 14, 14, 14, 14, 14, 13, 14, 11,
    12, 12, 12, 12, 12, 13, 13, 13, 13, 15, 14, 14, 14, 14, 16, 11,
    14, 12, 12, 12, 13, 13, 14, 14, 14, 16, 15, 15, 15, 17, 15, 11,
    13, 13, 11, 12, 14, 14, 13, 14, 14, 15, 16, 15, 17, 15, 14, 11,
    9, 8, 8, 9, 9, 10, 10, 10, 11, 11, 11, 11, 11, 11, 11, 8,
};
// Table 24: 16x16.
constexpr uint16_t CODE_24[256] = {
    15, 13, 46, 80, 146, 262, 248, 434, 426, 669, 653, 649, 621, 517, 1032, 88,
    14, 12, 21, 38, 71, 130, 122, 216, 209, 198, 327, 345, 319, 297, 279, 42,
    47, 22, 41, 74, 68, 128, 120, 221, 207, 194, 182, 340, 315, 295, 541, 18,
    81, 39, 75, 70, 134, 125, 116, 220, 204, 190, 178, 325, 311, 293, 271, 16,
    147, 72, 69, 135, 127, 118, 112, 210, 200, 188, 352, 323, 306, 285, 540, 14,
    263, 66, 129, 126, 119, 114, 214, 202, 192, 180, 341, 317, 301, 281, 262, 12,
    249, 123, 121, 117, 113, 215, 206, 195, 185, 347, 330, 308, 291, 272, 520, 10,
    435, 115, 111, 109, 211, 203, 196, 187, 353, 332, 313, 298, 283, 531, 381, 17,
    427, 212, 208, 205, 201, 193, 186, 177, 169, 320, 303, 286, 268, 514, 377, 16,
    335, 199, 197, 191, 189, 181, 174, 333, 321, 305, 289, 275, 521, 379, 371, 11,
    668, 184, 183, 179, 175, 344, 331, 314, 304, 290, 277, 530, 383, 373, 366, 10,
    652, 346, 171, 168, 164, 318, 309, 299, 287, 276, 263, 513, 375, 368, 362, 6,
    648, 322, 316, 312, 307, 302, 292, 284, 269, 261, 512, 376, 370, 364, 359, 4,
    620, 300, 296, 294, 288, 282, 273, 266, 515, 380, 374, 369, 365, 361, 357, 2,
    1033, 280, 278, 274, 267, 264, 259, 382, 378, 372, 367, 363, 360, 358, 356, 0,
    43, 20, 19, 17, 15, 13, 11, 9, 7, 6, 4, 7, 5, 3, 1, 3,
};
constexpr uint8_t LEN_24[256] = {
    4, 4, 6, 7, 8, 9, 9, 10, 10, 11, 11, 11, 11, 11, 12, 9,
    4, 4, 5, 6, 7, 8, 8, 9, 9, 9, 10, 10, 10, 10, 10, 8,
    6, 5, 6, 7, 7, 8, 8, 9, 9, 9, 9, 10, 10, 10, 11, 7,
    7, 6, 7, 7, 8, 8, 8, 9, 9, 9, 9, 10, 10, 10, 10, 7,
    8, 7, 7, 8, 8, 8, 8, 9, 9, 9, 10, 10, 10, 10, 11, 7,
    9, 7, 8, 8, 8, 8, 9, 9, 9, 9, 10, 10, 10, 10, 10, 7,
    9, 8, 8, 8, 8, 9, 9, 9, 9, 10, 10, 10, 10, 10, 11, 7,
    10, 8, 8, 8, 9, 9, 9, 9, 10, 10, 10, 10, 10, 11, 11, 8,
    10, 9, 9, 9, 9, 9, 9, 9, 9, 10, 10, 10, 10, 11, 11, 8,
    10, 9, 9, 9, 9, 9, 9, 10, 10, 10, 10, 10, 11, 11, 11, 8,
    11, 9, 9, 9, 9, 10, 10, 10, 10, 10, 10, 11, 11, 11, 11, 8,
    11, 10, 9, 9, 9, 10, 10, 10, 10, 10, 10, 11, 11, 11, 11, 8,
    11, 10, 10, 10, 10, 10, 10, 10, 10, 10, 11, 11, 11, 11, 11, 8,
    11, 10, 10, 10, 10, 10, 10, 10, 11, 11, 11, 11, 11, 11, 11, 8,
    12, 10, 10, 10, 10, 10, 10, 11, 11, 11, 11, 11, 11, 11, 11, 8,
    8, 7, 7, 7, 7, 7, 7, 7, 7, 7, 7, 8, 8, 8, 8, 4,
};

// Count1 table A (table B is the 4-bit complement of v w x y): code, length,
// indexed by v*8 + w*4 + x*2 + y.
constexpr uint8_t CODE_A[16] = {1, 5, 4, 5, 6, 5, 4, 4, 7, 3, 6, 0, 7, 2, 3, 1};
constexpr uint8_t LEN_A[16] = {1, 4, 4, 5, 4, 6, 5, 6, 4, 5, 5, 6, 5, 6, 6, 6};

struct TABLE_DEF {
  const uint16_t* code;
  const uint8_t* len;
  int size;     // x and y run from 0 to size - 1
  int linbits;  // escape bits added to a value of 15
};

// Tables 0 to 31 of the big values; 4 and 14 do not exist (size 0).
constexpr TABLE_DEF TABLES[32] = {
    {nullptr, nullptr, 0, 0}, {CODE_1, LEN_1, 2, 0},    {CODE_2, LEN_2, 3, 0},    {CODE_3, LEN_3, 3, 0},
    {nullptr, nullptr, 0, 0}, {CODE_5, LEN_5, 4, 0},    {CODE_6, LEN_6, 4, 0},    {CODE_7, LEN_7, 6, 0},
    {CODE_8, LEN_8, 6, 0},    {CODE_9, LEN_9, 6, 0},    {CODE_10, LEN_10, 8, 0},  {CODE_11, LEN_11, 8, 0},
    {CODE_12, LEN_12, 8, 0},  {CODE_13, LEN_13, 16, 0}, {nullptr, nullptr, 0, 0}, {CODE_15, LEN_15, 16, 0},
    {CODE_16, LEN_16, 16, 1}, {CODE_16, LEN_16, 16, 2}, {CODE_16, LEN_16, 16, 3}, {CODE_16, LEN_16, 16, 4},
    {CODE_16, LEN_16, 16, 6}, {CODE_16, LEN_16, 16, 8}, {CODE_16, LEN_16, 16, 10}, {CODE_16, LEN_16, 16, 13},
    {CODE_24, LEN_24, 16, 4}, {CODE_24, LEN_24, 16, 5}, {CODE_24, LEN_24, 16, 6}, {CODE_24, LEN_24, 16, 7},
    {CODE_24, LEN_24, 16, 8}, {CODE_24, LEN_24, 16, 9}, {CODE_24, LEN_24, 16, 11}, {CODE_24, LEN_24, 16, 13},
};

// Lookup entries: a leaf holds the bits it consumes at its step (bits 8-12)
// and the symbol (bits 0-7: x << 4 | y, or v w x y for count1); a node
// (bit 31) holds where its step's table starts (bits 4-30) and how many bits
// it reads (bits 0-3).
constexpr uint32_t NODE = 0x80000000u;
constexpr int POOL_SIZE = 4608;  // the trees of all distinct tables need 4424 + 2 x 64
constexpr int FIRST_BITS = 8;
constexpr int STEP_BITS = 6;

struct CODE {
  uint32_t code;
  int len;
  int sym;
};

struct HUFF_STATE {
  uint32_t pool[POOL_SIZE];
  int used;
  uint32_t root[32];  // first-step table and bits per big-value table (node form)
  uint32_t count1_root[2];
  float pow43[8207];  // |v|^(4/3) for every value a big-value pair can hold (15 + 2^13 - 1)
  float gain[4];      // 2^(k/4)
};
HUFF_STATE hs;

// Builds one step's table for `codes` (all sharing `prefix` bits already
// read); returns its node entry, or 0 when the pool is full.
uint32_t build(const CODE* codes, int count, int prefix, int bits) {
  if (hs.used + (1 << bits) > POOL_SIZE) return 0;
  int base = hs.used;
  hs.used += 1 << bits;
  uint32_t* t = hs.pool + base;
  for (int i = 0; i < (1 << bits); i++) t[i] = 0;
  CODE group[256];
  for (int i = 0; i < count; i++) {
    int rest = codes[i].len - prefix;
    uint32_t value = codes[i].code & ((1u << rest) - 1);
    if (rest <= bits) {
      for (uint32_t k = value << (bits - rest); k < (value + 1) << (bits - rest); k++)
        t[k] = uint32_t(rest) << 8 | uint32_t(codes[i].sym);
      continue;
    }
    uint32_t slot = value >> (rest - bits);
    if (t[slot]) continue;  // this prefix's subtree is built already
    int n = 0, longest = 0;
    for (int j = i; j < count; j++) {
      int r = codes[j].len - prefix;
      if (r > bits && ((codes[j].code & ((1u << r) - 1)) >> (r - bits)) == slot) {
        group[n++] = codes[j];
        if (r - bits > longest) longest = r - bits;
      }
    }
    int step = longest < STEP_BITS ? longest : STEP_BITS;
    uint32_t node = build(group, n, prefix + bits, step);
    if (!node) return 0;
    t[slot] = node;
  }
  return NODE | uint32_t(base) << 4 | uint32_t(bits);
}

void build_all() {
  CODE codes[256];
  for (int t = 0; t < 32; t++) {
    const TABLE_DEF& d = TABLES[t];
    if (!d.size) continue;
    if (t > 16 && t < 24 && hs.root[16]) {  // 17-23 share 16's codes, 25-31 share 24's
      hs.root[t] = hs.root[16];
      continue;
    }
    if (t > 24 && hs.root[24]) {
      hs.root[t] = hs.root[24];
      continue;
    }
    int n = d.size * d.size, longest = 0;
    for (int i = 0; i < n; i++) {
      codes[i] = {d.code[i], d.len[i], (i / d.size) << 4 | (i % d.size)};
      if (d.len[i] > longest) longest = d.len[i];
    }
    hs.root[t] = build(codes, n, 0, longest < FIRST_BITS ? longest : FIRST_BITS);
  }
  for (int b = 0; b < 2; b++) {
    for (int i = 0; i < 16; i++) codes[i] = b ? CODE{uint32_t(15 - i), 4, i} : CODE{CODE_A[i], LEN_A[i], i};
    hs.count1_root[b] = build(codes, 16, 0, b ? 4 : 6);
  }
  for (int i = 0; i < 8207; i++) hs.pow43[i] = float(std::pow(double(i), 4.0 / 3.0));
  for (int i = 0; i < 4; i++) hs.gain[i] = float(std::exp2(i / 4.0));
}

void init_once() {
  static std::once_flag once;
  std::call_once(once, build_all);
}

// 2^(q/4) for a gain counted in quarter steps. The fields bound q to
// -402..45 (global gain 0..255 less 210, subblock gain 8 x 7, scale factors
// 4 x (31 + 3)), so 2^(q >> 2) is a normal float built from its exponent
// (the clamp only keeps that true by construction).
inline float quarter_gain(int q) {
  q = q < -480 ? -480 : q > 480 ? 480 : q;
  uint32_t bits = uint32_t((q >> 2) + 127) << 23;
  float whole;
  std::memcpy(&whole, &bits, sizeof whole);
  return hs.gain[q & 3] * whole;
}

// A fast reader over the main data: a 64-bit window refilled from the byte
// buffer (which has zero bytes past its end).
struct READER {
  const uint8_t* data;
  size_t pos;
  inline uint64_t peek64() const {
    uint64_t w;
    std::memcpy(&w, data + (pos >> 3), 8);
    return __builtin_bswap64(w) << (pos & 7);
  }
};

// Decodes one code of the tree `root` from the top of `w` (bits from the
// reader's position); returns its symbol and shifts the code out of `w`,
// adding its length to `used`.
inline int decode(uint64_t* w, int* used, uint32_t root) {
  uint32_t e = root;
  int n = 0;
  uint64_t v = *w;
  do {
    int bits = int(e & 15);
    uint32_t base = (e & ~NODE) >> 4;
    e = hs.pool[base + uint32_t(v >> (64 - bits))];
    if (e & NODE) {
      v <<= bits;
      n += bits;
    }
  } while (e & NODE);
  int len = int(e >> 8 & 31);
  *w = v << len;
  *used += n + len;
  return int(e & 255);
}

// One value of a big-value pair from the top of `w`: the linbits of an
// escape, then the sign bit of a value that is not zero; requantised with
// the band's gain.
inline float big_value(int x, int linbits, float gain, uint64_t* w, int* used) {
  if (x == 15 && linbits) {
    x += int(*w >> (64 - linbits));
    *w <<= linbits;
    *used += linbits;
  }
  if (!x) return 0;
  float y = hs.pow43[x] * gain;
  int negative = int(*w >> 63);
  *w <<= 1;
  *used += 1;
  return negative ? -y : y;
}

// The gain of every band of the granule, as segments of bitstream-ordered
// lines: segment k covers lines up to end[k] (exclusive) with gain[k].
struct SEGMENTS {
  int count;
  int16_t end[40];
  float gain[40];
};

constexpr uint8_t PRETAB[22] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 3, 3, 3, 2, 0};

void band_gains(const VX_MP3_GRANULE_INFO* gi, const VX_MP3_SCALEFACTORS* sf, const VX_MP3_BANDS* bands,
                SEGMENTS* seg) {
  int shift = gi->scalefac_scale ? 4 : 2;  // scale factor step: 2^-1 or 2^-0.5, in quarter steps
  int global = gi->global_gain - 210;
  int n = 0;
  int line = 0;
  int first_short = 0;
  if (gi->block_type != 2 || gi->mixed) {
    int last = gi->block_type == 2 ? 0 : 22;
    if (gi->block_type == 2) {  // mixed: long bands up to line 36
      while (last < 22 && bands->l[last] < 36) last++;
      while (first_short < 13 && bands->s[first_short] * 3 < 36) first_short++;
    }
    for (int b = 0; b < last; b++) {
      int scale = sf->l[b] + (gi->preflag ? PRETAB[b] : 0);
      seg->end[n] = bands->l[b + 1];
      seg->gain[n++] = quarter_gain(global - shift * scale);
    }
    line = bands->l[last];
    if (gi->block_type != 2) {
      seg->count = n;
      return;
    }
  }
  for (int b = first_short; b < 13; b++) {
    int width = bands->s[b + 1] - bands->s[b];
    for (int w = 0; w < 3; w++) {
      line += width;
      seg->end[n] = int16_t(line);
      seg->gain[n++] = quarter_gain(global - 8 * gi->subblock_gain[w] - shift * sf->s[b][w]);
    }
  }
  seg->count = n;
}

}  // namespace

int vx_mp3_huffman(VX_MP3_BITS* b, size_t part3_end, const VX_MP3_GRANULE_INFO* gi,
                   const VX_MP3_SCALEFACTORS* sf, const VX_MP3_BANDS* bands, float* xr) {
  init_once();
  SEGMENTS seg;
  band_gains(gi, sf, bands, &seg);
  READER r{b->data, b->pos};
  size_t end = part3_end;
  int big_end = gi->big_values * 2;
  if (big_end > VX_MP3_GRANULE) big_end = VX_MP3_GRANULE;
  int region_end[3] = {gi->region1_start, gi->region2_start, big_end};
  int i = 0, s = 0;
  for (int region = 0; region < 3 && i < big_end; region++) {
    int stop = region_end[region] < big_end ? region_end[region] : big_end;
    const TABLE_DEF& t = TABLES[gi->table_select[region]];
    if (!t.size) {  // table 0 (and the missing 4 and 14): all zero
      for (; i < stop; i++) xr[i] = 0;
      continue;
    }
    uint32_t root = hs.root[gi->table_select[region]];
    int linbits = t.linbits;
    while (i < stop && r.pos <= end) {
      // A run of pairs in one band (band limits are even); lines past the
      // last band keep its gain.
      while (s < seg.count - 1 && i >= seg.end[s]) s++;
      int run_end = s == seg.count - 1 || seg.end[s] > stop ? stop : seg.end[s];
      float gain = seg.gain[s];
      for (; i < run_end && r.pos <= end; i += 2) {
        // A pair takes at most 19 + 2 x 14 bits: one read of 57 serves it.
        uint64_t w = r.peek64();
        int used = 0;
        int sym = decode(&w, &used, root);
        xr[i] = big_value(sym >> 4, linbits, gain, &w, &used);
        xr[i + 1] = big_value(sym & 15, linbits, gain, &w, &used);
        r.pos += size_t(used);
      }
    }
    if (i < stop) break;  // ran out of bits
  }
  // Count1 region: quadruples of 0 or 1 until the granule's bits run out.
  uint32_t root = hs.count1_root[gi->count1_table];
  while (i + 4 <= VX_MP3_GRANULE && r.pos < end) {
    uint64_t w = r.peek64();
    int used = 0;
    int sym = decode(&w, &used, root);
    float y[4];
    for (int k = 0; k < 4; k++) {
      y[k] = 0;
      if (sym & (8 >> k)) {
        while (s < seg.count - 1 && i + k >= seg.end[s]) s++;
        y[k] = w >> 63 ? -seg.gain[s] : seg.gain[s];
        w <<= 1;
        used++;
      }
    }
    if (r.pos + size_t(used) > end) break;  // the last quadruple ran past the granule's bits: dropped
    r.pos += size_t(used);
    for (int k = 0; k < 4; k++) xr[i + k] = y[k];
    i += 4;
  }
  int nonzero = i;
  for (; i < VX_MP3_GRANULE; i++) xr[i] = 0;
  b->pos = r.pos;
  return nonzero;
}
