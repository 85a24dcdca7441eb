#include "pdf/PageAnalysis.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace pdf {

namespace {

constexpr float kDefaultResolution = 300.0f;

float ResolutionUsed(float resolution) {
  // A hostile or missing value must not turn into an infinite page.
  return std::isfinite(resolution) && resolution > 0 ? resolution : kDefaultResolution;
}

// PDF 1.7 (Annex C) keeps page sides within 14,400 units; viewers refuse or
// clip larger pages. (/UserUnit would keep the size, but poppler ignores it.)
constexpr long double kMaxPageSide = 14400.0L;

long double PointsFor(std::uint32_t pixels, float resolution) {
  return static_cast<long double>(pixels) * 72.0L / resolution;
}

// The image size in points; a page beyond the limit is shrunk as a whole,
// keeping its aspect, so that its longer side is exactly the limit.
void SetImageSize(PageGeometry& geometry, const PageProperties& page) {
  long double width = PointsFor(page.width, geometry.xResolutionUsed);
  long double length = PointsFor(page.length, geometry.yResolutionUsed);
  const long double longer = std::max(width, length);
  if (longer > kMaxPageSide) {
    width = width == longer ? kMaxPageSide : width * kMaxPageSide / longer;
    length = length == longer ? kMaxPageSide : length * kMaxPageSide / longer;
  }
  geometry.imageWidth = static_cast<float>(width);
  geometry.imageLength = static_cast<float>(length);
}

void ComposeTiles(PageTiles& tiles, const PageProperties& page, const PlacementBox& image) {
  tiles.across = (page.width + tiles.width - 1) / tiles.width;
  tiles.down = (page.length + tiles.length - 1) / tiles.length;
  tiles.edgeWidth = page.width % tiles.width;
  tiles.edgeLength = page.length % tiles.length;
  const float imageWidth = image.x2 - image.x1;
  const float imageLength = image.y2 - image.y1;
  for (std::uint32_t k = 0; k < tiles.boxes.size(); ++k) {
    PlacementBox& box = tiles.boxes[k];
    const std::uint32_t row = k / tiles.across;
    const std::uint32_t column = k % tiles.across;
    box = PlacementBox{};
    box.x1 = image.x1 + imageWidth * static_cast<float>(column) * static_cast<float>(tiles.width) /
                            static_cast<float>(page.width);
    box.x2 = column + 1 == tiles.across
                 ? image.x2
                 : image.x1 + imageWidth * static_cast<float>(column + 1) *
                                  static_cast<float>(tiles.width) / static_cast<float>(page.width);
    box.y2 = image.y2 - imageLength * static_cast<float>(row) * static_cast<float>(tiles.length) /
                            static_cast<float>(page.length);
    box.y1 = row + 1 == tiles.down ? image.y1
                                   : image.y2 - imageLength * static_cast<float>(row + 1) *
                                                    static_cast<float>(tiles.length) /
                                                    static_cast<float>(page.length);
    const std::uint16_t orientation = page.orientation;
    if (orientation <= 1) {
      SetOrientationMatrix(box, 0, MatrixRule::Normal);
      continue;
    }
    box.x1 -= image.x1;
    box.x2 -= image.x1;
    box.y1 -= image.y1;
    box.y2 -= image.y1;
    if (orientation == 2 || orientation == 3 || orientation == 5 || orientation == 6) {
      box.x1 = imageWidth - box.x1;
      box.x2 = imageWidth - box.x2;
    }
    if (orientation == 3 || orientation == 4 || orientation == 5 || orientation == 8) {
      box.y1 = imageLength - box.y1;
      box.y2 = imageLength - box.y2;
    }
    if (orientation <= 4) {
      SetOrientationMatrix(box, orientation, MatrixRule::Normal);
      continue;
    }
    std::swap(box.x1, box.y1);
    std::swap(box.x2, box.y2);
    SetOrientationMatrix(box, orientation, MatrixRule::Transposed);
  }
}

} // namespace

void SetOrientationMatrix(PlacementBox& box, std::uint16_t orientation, MatrixRule rule) {
  if (box.x1 > box.x2)
    std::swap(box.x1, box.x2);
  if (box.y1 > box.y2)
    std::swap(box.y1, box.y2);
  const float w = box.x2 - box.x1;
  const float h = box.y2 - box.y1;
  // The transposed rule is the normal one with the roles of w and h swapped.
  const float across = rule == MatrixRule::Normal ? w : h;
  const float down = rule == MatrixRule::Normal ? h : w;
  auto& m = box.m;
  m = {w, 0, 0, 0, h, 0, box.x1, box.y1, 1};
  switch (orientation) {
  case 2:
    m[0] = -w;
    m[6] = box.x1 + w;
    break;
  case 3:
    m[0] = -w;
    m[4] = -h;
    m[6] = box.x1 + w;
    m[7] = box.y1 + h;
    break;
  case 4:
    m[4] = -h;
    m[7] = box.y1 + h;
    break;
  case 5:
    m[0] = 0;
    m[1] = -across;
    m[3] = -down;
    m[4] = 0;
    m[6] = box.x1 + down;
    m[7] = box.y1 + across;
    break;
  case 6:
    m[0] = 0;
    m[1] = -across;
    m[3] = down;
    m[4] = 0;
    m[7] = box.y1 + across;
    break;
  case 7:
    m[0] = 0;
    m[1] = across;
    m[3] = down;
    m[4] = 0;
    break;
  case 8:
    m[0] = 0;
    m[1] = across;
    m[3] = -down;
    m[4] = 0;
    m[6] = box.x1 + down;
    break;
  default:
    break;
  }
}

void ComposePage(PdfWriterContext& context, PageTiles* tiles) {
  const PageProperties& page = context.page;
  PageGeometry& geometry = context.geometry;
  geometry = PageGeometry{};
  geometry.xResolutionUsed = ResolutionUsed(page.xResolution);
  geometry.yResolutionUsed = ResolutionUsed(page.yResolution);
  SetImageSize(geometry, page);
  geometry.pageWidth = geometry.imageWidth;
  geometry.pageLength = geometry.imageLength;

  geometry.mediaBox.x2 = geometry.pageWidth;
  geometry.mediaBox.y2 = geometry.pageLength;
  if (page.orientation > 4)
    std::swap(geometry.mediaBox.x2, geometry.mediaBox.y2);
  geometry.imageBox.x2 = geometry.imageWidth;
  geometry.imageBox.y2 = geometry.imageLength;

  if (tiles == nullptr || tiles->count == 0) {
    SetOrientationMatrix(geometry.imageBox, page.orientation, MatrixRule::Normal);
    return;
  }
  ComposeTiles(*tiles, page, geometry.imageBox);
}

} // namespace pdf
