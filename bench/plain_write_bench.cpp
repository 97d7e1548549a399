// Under Wine: the time to write BYTES to FILE with plain buffered writes,
// one row of ROW bytes a call, as the floor a whole scan job is held to.
// The stream buffer is the writers' own size (256 KB): the C default would
// make the floor slower than the writers and the limit lenient.
//   plain_write_bench.exe FILE BYTES ROW
// Prints "plain write: N bytes in S s" and removes the file.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include <vector>

int main(int argc, char** argv)
{
    if (argc != 4) {
        fprintf(stderr, "usage: plain_write_bench FILE BYTES ROW\n");
        return 1;
    }
    const unsigned long long total = strtoull(argv[2], nullptr, 10);
    const size_t row = strtoul(argv[3], nullptr, 10);
    if (total == 0 || row == 0) {
        fprintf(stderr, "plain_write_bench: BYTES and ROW must be above 0\n");
        return 1;
    }
    std::vector<unsigned char> line(row);
    for (size_t i = 0; i < row; ++i)
        line[i] = static_cast<unsigned char>(i * 31 + 7);
    LARGE_INTEGER start, end, frequency;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    std::vector<char> buffer(256 * 1024);
    FILE* file = fopen(argv[1], "wb");
    bool ok = file != nullptr && setvbuf(file, buffer.data(), _IOFBF, buffer.size()) == 0;
    for (unsigned long long done = 0; ok && done < total; done += row) {
        const size_t take = total - done < row ? static_cast<size_t>(total - done) : row;
        ok = fwrite(line.data(), 1, take, file) == take;
    }
    if (file && fclose(file) != 0)
        ok = false;
    QueryPerformanceCounter(&end);
    DeleteFileA(argv[1]);
    if (!ok) {
        fprintf(stderr, "plain_write_bench: cannot write %s\n", argv[1]);
        return 1;
    }
    printf("plain write: %llu bytes in %.6f s\n", total,
           static_cast<double>(end.QuadPart - start.QuadPart) / frequency.QuadPart);
    return 0;
}
