// PageDump.h: a plain text printable for report runs, and the text items of
// a job's stored pages read back with their positions.
#pragma once

#include "report/engine/QRReport.h"

#include "platform/gui/Metafile.h"

#include <functional>
#include <string>
#include <vector>

// Prints the text its function gives at the moment the band prints.
class TTextItem : public TQRPrintable {
public:
  TTextItem(TComponent* AOwner, std::function<String()> AText) : TQRPrintable(AOwner), Text(std::move(AText)) {}
  void Print(Integer OfsX, Integer OfsY) override
  {
    TQRPrinter* Job = ParentReport()->QRPrinter();
    TCanvas* C = Job->Canvas();
    if (!C)
      return;
    C->Font()->SetName(QStringLiteral("Arial"));
    C->Font()->SetSize(8);
    C->TextOut(Job->XPos(OfsX + Size()->Left()), Job->YPos(OfsY + Size()->Top()), Text());
  }
  std::function<String()> Text;
};

// One text item of a page, its position in whole millimetres.
struct TPageText {
  std::string Text;
  int XMM = 0;
  int YMM = 0;
};

inline std::vector<TPageText> PageTexts(TMetafile& Page)
{
  std::vector<TPageText> Result;
  Page.Enumerate([&](const TEnhMetaRecord& Record) {
    TEmrText T;
    if (Record.iType == EMR_EXTTEXTOUTW && DecodeExtTextOut(Record, T))
      Result.push_back({T.Text.toStdString(), int(std::lround(T.Reference.X * 25.4 / 96)),
                        int(std::lround(T.Reference.Y * 25.4 / 96))});
    return true;
  });
  return Result;
}

// Every stored page of the job, as its items.
inline std::vector<std::vector<TPageText>> DumpPages(TQRPrinter& Job)
{
  std::vector<std::vector<TPageText>> Pages;
  for (Integer I = 1; I <= Job.PageCount(); ++I) {
    std::unique_ptr<TMetafile> Page = Job.GetPage(I);
    Pages.push_back(Page ? PageTexts(*Page) : std::vector<TPageText>{});
  }
  return Pages;
}

// The texts of each page joined by blanks, pages joined by " | ".
inline std::string PagesAsText(const std::vector<std::vector<TPageText>>& Pages)
{
  std::string S;
  for (std::size_t P = 0; P < Pages.size(); ++P) {
    if (P > 0)
      S += " | ";
    for (std::size_t I = 0; I < Pages[P].size(); ++I)
      S += (I > 0 ? " " : "") + Pages[P][I].Text;
  }
  return S;
}
