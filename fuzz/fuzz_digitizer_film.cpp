// Film image files (PGM, BMP): any header must be refused or read within the
// file, and rows rendered at any resolution stay inside their buffers.
#include <stdint.h>
#include <stdio.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "vd_film.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/fuzz_digitizer_film_" + std::to_string(getpid());
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) return 0;
    fwrite(data, 1, size, file);
    fclose(file);

    VdConfig config;
    VdDefaultConfig(&config);
    snprintf(config.filmFile, sizeof config.filmFile, "%s", path.c_str());
    config.fileDpi = size > 0 ? (uint16_t)(1 + data[0] % 200) : 100;
    VdFilm film;
    if (VdFilmOpen(&film, &config, 7)) {
        std::vector<int16_t> levels(640);
        for (double y = -0.5; y < film.length + 0.5; y += film.length / 7 + 0.01)
            VdFilmRenderRow(&film, y, 75.0, -20.0, levels.data(), (uint32_t)levels.size());
        VdFilmClose(&film);
    }
    return 0;
}
