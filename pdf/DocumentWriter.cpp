#include "pdf/DocumentWriter.h"

#include <new>

#include "pdf/FileIdentifier.h"
#include "pdf/ImageStreams.h"
#include "pdf/PageAnalysis.h"
#include "pdf/PdfNumbers.h"
#include "pdf/PdfText.h"

namespace pdf {

namespace {

// Objects a page takes: page, contents, contents length, its extra objects,
// and an image with its length per tile (one image when untiled).
std::uint32_t ObjectsOfPage(const PdfWriterContext& context, std::size_t index) {
  const std::uint32_t tiles = context.tiles[index].count;
  return 3 + context.pages[index].extraObjects + 2 * std::max<std::uint32_t>(tiles, 1);
}

// The TIFF tag text, or nothing when the directory has no such tag.
std::optional<std::string> TagText(TIFF* tiff, ttag_t tag) {
  const char* text = nullptr;
  if (!TIFFGetField(tiff, tag, &text) || text == nullptr)
    return std::nullopt;
  return std::string(text);
}

void WriteEntry(PdfSink& sink, const char* key, const std::optional<std::string>& text) {
  if (!text || text->empty())
    return;
  sink.Write(key);
  sink.Write(DocumentTextLiteral(*text));
  sink.Write("\r");
}

// A caller's text wins; without one the TIFF tag's text is used. A given
// but empty text suppresses the entry.
std::optional<std::string> CallerOrTag(const std::optional<std::string>& caller, TIFF* tiff,
                                       ttag_t tag) {
  return caller ? caller : TagText(tiff, tag);
}

void WriteInformation(PdfWriterContext& context) {
  TIFF* tiff = context.input;
  PdfSink& sink = *context.sink;
  if (context.date.empty()) {
    const auto dateTime = TagText(tiff, TIFFTAG_DATETIME);
    context.date = PdfDateText(dateTime ? dateTime->c_str() : nullptr);
  }
  const std::string date = PdfStringLiteral(context.date);
  sink.Write("<< \r/CreationDate " + date + "\r/ModDate " + date + "\r/Producer " +
             PdfStringLiteral("Kelvor Studio - 20050315 / d") + "\r");
  const auto software = TagText(tiff, TIFFTAG_SOFTWARE);
  if (software) {
    sink.Write("/Creator ");
    sink.Write(DocumentTextLiteral(*software));
    sink.Write("\r");
  }
  auto author = context.author;
  if (!author) {
    author = TagText(tiff, TIFFTAG_ARTIST);
    if (!author)
      author = TagText(tiff, TIFFTAG_COPYRIGHT);
  }
  WriteEntry(sink, "/Author ", author);
  WriteEntry(sink, "/Title ", CallerOrTag(context.title, tiff, TIFFTAG_DOCUMENTNAME));
  WriteEntry(sink, "/Subject ", CallerOrTag(context.subject, tiff, TIFFTAG_IMAGEDESCRIPTION));
  WriteEntry(sink, "/Keywords ", context.keywords);
  sink.Write(">> \r");
}

void WritePageTree(PdfWriterContext& context) {
  std::string text = "<< \r/Type /Pages \r/Kids [ ";
  std::uint64_t number = context.pagesNumber + 1;
  for (std::size_t i = 0; i < context.pages.size(); ++i) {
    text += Decimal(number) + " 0 R ";
    if (i % 8 == 7)
      text += "\r";
    number += ObjectsOfPage(context, i);
  }
  text += "] \r/Count " + Decimal(context.pages.size()) + " \r>> \r";
  context.sink->Write(text);
}

bool HasTransfer(const PdfWriterContext& context) { return context.page.transferCount > 0; }

std::string PageDictionary(const PdfWriterContext& context, std::uint32_t pageObject) {
  const PageProperties& page = context.page;
  const PlacementBox& media = context.geometry.mediaBox;
  const std::uint32_t pageNumber = context.pages[context.currentPage].pageNumber + 1;
  const std::uint32_t firstImage = pageObject + 3 + context.pages[context.currentPage].extraObjects;
  const PageTiles& tiles = context.tiles[context.currentPage];
  std::string text = "<<\r/Type /Page \r/Parent " + Decimal(context.pagesNumber) + " 0 R \r" +
                     "/MediaBox [" + Fixed4(media.x1) + " " + Fixed4(media.y1) + " " +
                     Fixed4(media.x2) + " " + Fixed4(media.y2) + "] \r" + "/Contents " +
                     Decimal(pageObject + 1) + " 0 R \r" + "/Resources << \r/XObject <<\r";
  if (tiles.count == 0) {
    text += "/Im" + Decimal(pageNumber) + " " + Decimal(firstImage) + " 0 R >>\r";
  } else {
    for (std::uint32_t t = 1; t <= tiles.count; ++t) {
      text += "/Im" + Decimal(pageNumber) + "_" + Decimal(t) + " " +
              Decimal(firstImage + 2 * (t - 1)) + " 0 R ";
      if (t % 4 == 0)
        text += "\r";
    }
    text += ">>\r";
  }
  if (HasTransfer(context))
    text += "/ExtGState <</GS1 " + Decimal(pageObject + 3) + " 0 R >> \r";
  text += "/ProcSet [ ";
  if (page.colourSpace == kBilevel || page.colourSpace == kGray) {
    text += "/ImageB ";
  } else {
    text += "/ImageC ";
    if (page.colourSpace & kPalettised)
      text += "/ImageI ";
  }
  return text + "]\r>>\r>>\r";
}

std::string ContentLine(const PdfWriterContext& context, const PlacementBox& box,
                        const std::string& imageName) {
  const auto& m = box.m;
  return std::string("q ") + (HasTransfer(context) ? "/GS1 gs " : "") + " " + Fixed4(m[0]) + " " +
         Fixed4(m[1]) + " " + Fixed4(m[3]) + " " + Fixed4(m[4]) + " " + Fixed4(m[6]) + " " +
         Fixed4(m[7]) + " cm " + imageName + " Do Q\r";
}

std::string ContentText(const PdfWriterContext& context) {
  const std::string name = "/Im" + Decimal(context.pages[context.currentPage].pageNumber + 1);
  const PageTiles& tiles = context.tiles[context.currentPage];
  if (tiles.count == 0)
    return ContentLine(context, context.geometry.imageBox, name);
  std::string text;
  for (std::uint32_t t = 0; t < tiles.count; ++t)
    text += ContentLine(context, tiles.boxes[t], name + "_" + Decimal(t + 1));
  return text;
}

// One image object and the object holding its length.
void WriteImage(PdfWriterContext& context, std::optional<std::uint32_t> tile) {
  PdfSink& sink = *context.sink;
  StartObject(context);
  sink.Write("<< \r" + ImageDictionary(context, tile) + " >>\rstream\r\n");
  const std::uint64_t written =
      tile ? WriteTileImageData(context, *tile) : WritePageImageData(context);
  if (context.error)
    return;
  sink.Write("\rendstream\r");
  EndObject(context);
  StartObject(context);
  sink.Write(Decimal(written) + "\r");
  EndObject(context);
}

void WritePage(PdfWriterContext& context) {
  AnalysePage(context);
  if (context.error)
    return;
  PdfSink& sink = *context.sink;
  const std::uint32_t pageObject = StartObject(context);
  sink.Write(PageDictionary(context, pageObject));
  EndObject(context);

  const std::string content = ContentText(context);
  StartObject(context);
  sink.Write("<< \r/Length " + Decimal(pageObject + 2) + " 0 R \r >>\rstream\r\n" + content +
             "\rendstream\r");
  EndObject(context);
  StartObject(context);
  sink.Write(Decimal(content.size()) + "\r");
  EndObject(context);

  WriteTransferObjects(context);
  if (context.page.colourSpace & kPalettised)
    WritePaletteObject(context);
  if (context.page.hasIccProfile)
    WriteIccObject(context);

  const PageTiles& tiles = context.tiles[context.currentPage];
  if (tiles.count == 0) {
    WriteImage(context, std::nullopt);
    return;
  }
  for (std::uint32_t t = 0; t < tiles.count && !context.error; ++t)
    WriteImage(context, t);
}

void WriteCrossReference(PdfWriterContext& context) {
  std::string text = "xref\r0 " + Decimal(context.objectCount + 1) + " \r0000000000 65535 f\r\n";
  text.reserve(text.size() + 20 * context.objectCount);
  for (std::uint32_t i = 0; i < context.objectCount; ++i)
    text += TenDigits(context.offsets[i]) + " 00000 n\r\n";
  context.sink->Write(text);
}

void WriteTrailer(PdfWriterContext& context, std::uint64_t crossReference) {
  const std::string id = NextFileIdentifier();
  context.sink->Write("trailer\r<<\r/Size " + Decimal(context.objectCount + 1) + "\r/Root " +
                      Decimal(context.catalogNumber) + " 0 R \r/Info " +
                      Decimal(context.infoNumber) + " 0 R \r/ID[<" + id + "><" + id +
                      ">]\r>>\rstartxref\r" + Decimal(crossReference) + "\r%%EOF\r");
}

} // namespace

std::uint64_t WriteDocument(PdfWriterContext& context) {
  ScanDocument(context);
  if (context.error)
    return 0;
  try {
    context.offsets.assign(context.objectCount, 0);
  } catch (const std::bad_alloc&) {
    Fail(context, "Can't allocate " + Decimal(std::uint64_t{context.objectCount} * 8) +
                      " bytes of memory for pdf_write_document");
    return 0;
  }
  const std::uint32_t expectedObjects = context.objectCount;
  context.objectCount = 0;
  context.catalogNumber = 1;
  context.infoNumber = 2;
  context.pagesNumber = 3;
  PdfSink& sink = *context.sink;

  sink.Write("%PDF-" + Decimal(context.pdfMajor) + "." + Decimal(context.pdfMinor) + " ");
  sink.Write("\r%\xE2\xE3\xCF\xD3\r\n");

  context.catalogNumber = StartObject(context);
  sink.Write("<< \r/Type /Catalog \r/Pages " + Decimal(context.pagesNumber) + " 0 R \r>>\r");
  EndObject(context);

  // The information comes from the directory the scan left selected.
  context.infoNumber = StartObject(context);
  WriteInformation(context);
  EndObject(context);

  context.pagesNumber = StartObject(context);
  WritePageTree(context);
  EndObject(context);

  for (std::size_t i = 0; i < context.pages.size() && !context.error; ++i) {
    context.currentPage = static_cast<std::uint16_t>(i);
    WritePage(context);
  }
  if (context.error)
    return 0;
  if (context.objectCount != expectedObjects) {
    Fail(context, "Object count mismatch for " + context.inputName);
    return 0;
  }
  const std::uint64_t crossReference = sink.Total();
  WriteCrossReference(context);
  WriteTrailer(context, crossReference);
  if (sink.Failed()) {
    Fail(context, "Error writing output PDF for " + context.inputName);
    return 0;
  }
  return sink.Total();
}

} // namespace pdf
