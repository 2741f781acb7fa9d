// QRPageInfo.cpp: per-page lists of printed items.
#include "report/engine/QRPageInfo.h"

TPageItemRec* TQRLinkPage::getItemRec(Integer n) const
{
  return n >= 0 && n < Count() ? linkitems[std::size_t(n)].get() : nullptr;
}

void TQRLinkPage::addItemRec(std::unique_ptr<TPageItemRec> nirec) { linkitems.push_back(std::move(nirec)); }

TPageItemRec* TQRLinkPage::FindItemByControlandRecord(const String& contname, Integer recnum) const
{
  for (const auto& I : linkitems)
    if (I->controlname == contname && I->recordnumber == recnum)
      return I.get();
  return nullptr;
}

TPageItemRec* TQRLinkPage::HitTest(Integer px, Integer py) const
{
  for (const auto& I : linkitems)
    if (I->left < px && px < I->left + I->width && I->top < py && py < I->top + I->height)
      return I.get();
  return nullptr;
}

TQRLinkPage* TQRPageInfoList::getPageRec(Integer n) const
{
  return n >= 0 && n < Count() ? pilist[std::size_t(n)] : nullptr;
}

void TQRPageInfoList::addPageRec(TQRLinkPage* nirec) { pilist.push_back(nirec); }

void TQRPageInfoList::Initialise()
{
  if (!pilist.empty())
    pilist.pop_back();   // still the report's own, not freed here
  for (TQRLinkPage* P : pilist)
    delete P;
  pilist.clear();
}

TQRPageInfoList::~TQRPageInfoList()
{
  for (TQRLinkPage* P : pilist)
    delete P;
}
