// QRPageInfo.h: the items printed on each page (control, record, box, text),
// with which the preview finds the report control under the pointer.
#pragma once

#include "platform/rtl/Classes.h"

#include <memory>
#include <vector>

class TPageItemRec : public TObject {
public:
  String controlname;
  String controlclass;
  // The master dataset record the control was printed for.
  Integer recordnumber = 0;
  // The item's box in page pixels at zoom 100.
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
  // The text printed; empty for pictures.
  String textcontent;
};

class TQRLinkPage : public TObject {
public:
  TPageItemRec* getItemRec(Integer n) const;
  void addItemRec(std::unique_ptr<TPageItemRec> nirec);
  // The first item of the control printed for the record, or nullptr.
  TPageItemRec* FindItemByControlandRecord(const String& contname, Integer recnum) const;
  // The first item, in the order added, strictly around the point.
  TPageItemRec* HitTest(Integer px, Integer py) const;
  Integer Count() const { return Integer(linkitems.size()); }

  std::vector<std::unique_ptr<TPageItemRec>> linkitems;
  Integer pagenumber = 0;
};

class TQRPageInfoList : public TObject {
public:
  // The entry at n, nullptr past the end.
  TQRLinkPage* getPageRec(Integer n) const;
  void addPageRec(TQRLinkPage* nirec);
  // Frees every entry but the last (the report's current page, added again
  // at its next page break) and empties the list.
  void Initialise();
  Integer Count() const { return Integer(pilist.size()); }
  ~TQRPageInfoList() override;

  std::vector<TQRLinkPage*> pilist;   // owned
};
