#pragma once
#include <string>

namespace qv {

class FilesReplacedOrPutBack;

// Storage of the map options. Kind 0 is the working set of the program directory ("tgl-glar.dat",
// "opz-glar.dat"), kind 1 the base set ("tg1-glar.dat", "op1-glar.dat"), kind 2 an option file
// the user names (no class limits). Every kind also keeps the window values of "sel-glar.dat".
void LoadMapOptions(int kind, const std::string& name);
// Raises the input/output error when a file cannot be written; the files are then all as before.
void SaveMapOptions(int kind, const std::string& name);
// The files SaveMapOptions writes, staged with others that must change together with them.
void StageMapOptions(FilesReplacedOrPutBack& files, int kind, const std::string& name);

// Every default of MapState and MapClassThresholds, derived from the current PixelWidth and
// PixelHeight; the window values of "sel-glar.dat" (size and legend position) are kept.
void ApplyMapDefaults();
// The whole map at the window size PixelWidth x PixelHeight: the map's size, the view centre, its
// target and the reference point, 32 outline units a pixel.
void ApplyWholeMapView();

// The legend colours of the territorial base ("leg-colo.dat") with the program colour
// ("sfo-glar.dat"). Loading a missing colour file sets the defaults and tries to create it.
void LoadLegendColours(const std::string& path);
void SaveLegendColours(const std::string& path);
// Only the nine colours (the user's colour files); false when the file does not hold them.
bool ReadLegendColourFile(const std::string& path);
void WriteLegendColourFile(const std::string& path);

constexpr int kMapOptionFileSize = 23;
constexpr int kMapThresholdRecordSize = 94;
constexpr int kLegendColourRecordSize = 36;

}  // namespace qv
