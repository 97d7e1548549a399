// filmref: renders film N of a digitizer configuration as the digitizer
// delivers it, in film coordinates, for tests to compare scans with.
//
// filmref --config FILE --film N --dpi R [--depth 8|12|16] [--table T]
//         [--dark-enhance 0|1] [--average N]
//         [--left IN --top IN --right IN --bottom IN] --out FILE
//
// Writes raw samples, row 0 = the leading edge, one byte a sample at depth 8,
// else two, low byte first; prints "COLUMNS ROWS FIRST_COLUMN FIRST_ROW".
// Region edges are inches from the film's left and leading edges, rounded to
// the nearest pixel; the whole film without them. The defaults are what the
// library programs unless told otherwise: linear table, no dark enhance, no
// averaging.
#include <math.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "vd_config.h"
#include "vd_reference.h"

namespace {

int Usage(const char* why)
{
    fprintf(stderr, "filmref: %s\n", why);
    fprintf(stderr, "usage: filmref --config FILE --film N --dpi R [--depth 8|12|16] [--table T] "
                    "[--dark-enhance 0|1] [--average N] [--left IN --top IN --right IN --bottom IN] "
                    "--out FILE\n");
    return 2;
}

bool Number(const char* text, double* value)
{
    char* end = nullptr;
    *value = strtod(text, &end);
    return end != text && *end == '\0' && isfinite(*value);
}

}  // namespace

int main(int argc, char** argv)
{
    std::string config, out;
    double film = 1, dpi = 0, depth = 8, table = 0, dark = 0, average = 1;
    double edges[4];
    bool given[4] = {false, false, false, false};
    static const char* const kEdges[4] = {"--left", "--top", "--right", "--bottom"};
    for (int i = 1; i < argc; i += 2) {
        if (i + 1 >= argc) return Usage("an option without a value");
        const char* name = argv[i];
        const char* value = argv[i + 1];
        double* number = nullptr;
        if (!strcmp(name, "--config")) config = value;
        else if (!strcmp(name, "--out")) out = value;
        else if (!strcmp(name, "--film")) number = &film;
        else if (!strcmp(name, "--dpi")) number = &dpi;
        else if (!strcmp(name, "--depth")) number = &depth;
        else if (!strcmp(name, "--table")) number = &table;
        else if (!strcmp(name, "--dark-enhance")) number = &dark;
        else if (!strcmp(name, "--average")) number = &average;
        else {
            int edge = 0;
            while (edge < 4 && strcmp(name, kEdges[edge])) ++edge;
            if (edge == 4) return Usage(name);
            number = &edges[edge];
            given[edge] = true;
        }
        if (number && !Number(value, number)) return Usage(value);
    }
    if (out.empty() || dpi < 1 || dpi > 65535 || film < 1) return Usage("--out, --dpi and --film are needed");
    int region = given[0] + given[1] + given[2] + given[3];
    if (region != 0 && region != 4) return Usage("a region needs all four edges");

    VdConfig settings;
    VdDefaultConfig(&settings);
    if (!config.empty() && !VdLoadConfigFile(&settings, config.c_str())) return Usage("cannot read the config");

    VdReference r = {};
    r.film = (int)film;
    r.resolution = (uint16_t)dpi;
    r.depth = (uint8_t)depth;
    r.table = (int16_t)table;
    r.darkEnhance = (uint16_t)dark;
    r.averageCount = (uint16_t)average;
    if (region) {
        int64_t left = llround(edges[0] * dpi), top = llround(edges[1] * dpi);
        int64_t right = llround(edges[2] * dpi), bottom = llround(edges[3] * dpi);
        if (right <= left || bottom <= top || right - left > 1 << 20 || bottom - top > 1 << 20)
            return Usage("an empty or oversized region");
        r.firstColumn = left;
        r.firstRow = top;
        r.columns = (uint32_t)(right - left);
        r.rows = (uint32_t)(bottom - top);
    } else if (!VdReferenceFilmSize(&settings, r.film, r.resolution, &r.columns, &r.rows)) {
        fprintf(stderr, "filmref: cannot open film %d\n", r.film);
        return 1;
    }
    std::vector<uint8_t> samples((size_t)r.columns * r.rows * (r.depth == 8 ? 1 : 2));
    if (!VdRenderReference(&settings, &r, samples.data())) {
        fprintf(stderr, "filmref: cannot render film %d (depth %d, table %d)\n", r.film, r.depth, r.table);
        return 1;
    }
    FILE* file = fopen(out.c_str(), "wb");
    if (!file || fwrite(samples.data(), 1, samples.size(), file) != samples.size() || fclose(file) != 0) {
        fprintf(stderr, "filmref: cannot write %s\n", out.c_str());
        return 1;
    }
    printf("%u %u %lld %lld\n", r.columns, r.rows, (long long)r.firstColumn, (long long)r.firstRow);
    return 0;
}
