// What the main window owns for the whole run, shared by the files that make up Form1.
#pragma once

#include <functional>
#include <memory>
#include <utility>

#include "map/ansi_path.h"
#include "map/catalogue.h"
#include "map/catalogue_follower.h"
#include "map/recent_maps.h"
#include "settings/cini.h"
#include "ui/form1.h"
#include "ui/map_library.h"

namespace qrvl {

// A seam given by the caller, or the platform's own.
template <typename T, typename Make>
std::shared_ptr<T> orDefault(std::shared_ptr<T> given, Make make) {
    return given ? std::move(given) : make();
}

struct Form1::Owned {
    Owned(Form1Seams seams, FollowerHost& host, std::function<void()> readingsWaiting)
        : ini(orDefault(std::move(seams.profile), systemProfileApi)),
          update(orDefault(std::move(seams.registry), reg::systemRegistryApi),
                 orDefault(std::move(seams.random),
                           [] { return std::make_shared<ClockSeededRandom>(); })),
          ansiPaths(orDefault(std::move(seams.ansiPaths), systemAnsiPathApi)),
          catalogue(orDefault(std::move(seams.directories), systemDirectoryLister), ansiPaths),
          follower(catalogue, orDefault(std::move(seams.watch), systemDirectoryWatch), host),
          library(std::move(seams.mapReader), std::move(seams.mapContent),
                  std::move(readingsWaiting)) {}

    CINI ini;
    RecentMapsUpdate update;
    std::shared_ptr<AnsiPathApi> ansiPaths;
    Catalogue catalogue;
    CatalogueFollower follower;
    MapLibrary library;
    // An update found no map to pick: the first one known makes the update then.
    bool updateWaiting = false;
};

}  // namespace qrvl
