#pragma once

#include <cstdint>
#include <vector>

#include "firstaid/media_data_walk.h"
#include "firstaid/reference_track_layout.h"

// Writes the movie box (moov) of a rebuilt recording: the reference's sample descriptions and
// timing with the sample tables of the samples the media data walk kept.
namespace tidewell::FileFirstAidEngine {

struct TrackTiming {
    std::uint64_t sampleCount = 0;
    std::uint64_t mediaDuration = 0;  // in the track's timescale
    double seconds = 0;               // presented, after the edit
};

struct MovieBox {
    std::vector<std::uint8_t> bytes;
    std::vector<TrackTiming> tracks;  // one per reference track (tracks without samples are left out of the box)
};

// offsetShift: added to every sample's source offset to give its offset in the new file.
MovieBox buildMovieBox(const ReferenceLayout& reference, const MediaDataWalk& walk, std::int64_t offsetShift);

}  // namespace tidewell::FileFirstAidEngine
