// The catalogue scan as a whole process, to set beside find(1): prints every map, one a line.
#include <cstdio>
#include <filesystem>
#include <string>

#include "bench/bench_tree.h"
#include "common/text_codec.h"
#include "map/catalogue.h"

// scan_cli [directory]: the directory defaults to the standard tree, made on first use.
int main(int argc, char** argv) {
    const std::filesystem::path root =
        argc > 1
            ? std::filesystem::path(argv[1])
            : qrvl::bench::benchTree(std::filesystem::temp_directory_path() / "qrvl-bench-maps");
    qrvl::Catalogue catalogue;
    catalogue.rebuildCatalogue(qrvl::utf8Codec().decode(root.native()));
    const qrvl::MapCollection& maps = catalogue.allMaps();
    std::string out;
    for (std::int32_t i = 1; i <= maps.Count(); ++i) {
        out += qrvl::utf8Codec().encode(maps.Item(i));
        out += '\n';
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
