// ExprShapeImageTest.cpp: the expression control's print text by result
// kind and mask, its totals and their reset; shapes and pictures printed on
// a recorded page, compared by pixels with the same figures drawn
// independently with QPainter.
#include "platform/data/ADODB.h"
#include "tests/report/engine/ControlTestSupport.h"
#include "tests/report/engine/ReportTestSupport.h"

#include <QBuffer>
#include <QPainter>

namespace {

class PrintedControlsTest : public ControlPageTest {
protected:
  // The page played onto white pixels at its own size.
  static QImage Played(const TMetafile& Page)
  {
    TBitmap B(Page.Width(), Page.Height());
    B.Canvas()->Brush()->SetColor(clWhite);
    B.Canvas()->FillRect(TRect(0, 0, Page.Width(), Page.Height()));
    B.Canvas()->Draw(0, 0, const_cast<TMetafile*>(&Page));
    return B.Image().convertToFormat(QImage::Format_RGB32);
  }

  static QImage White(const QSize& Size)
  {
    QImage I(Size, QImage::Format_RGB32);
    I.fill(Qt::white);
    return I;
  }

  // Pixels that differ by more than a little in any channel.
  static Integer Differing(const QImage& A, const QImage& B)
  {
    Integer N = 0;
    for (int Y = 0; Y < A.height(); ++Y)
      for (int X = 0; X < A.width(); ++X) {
        const QRgb P = A.pixel(X, Y);
        const QRgb Q = B.pixel(X, Y);
        if (std::abs(qRed(P) - qRed(Q)) > 40 || std::abs(qGreen(P) - qGreen(Q)) > 40 ||
            std::abs(qBlue(P) - qBlue(Q)) > 40)
          ++N;
      }
    return N;
  }

  // The control's box in page pixels.
  QRect Box(const TQRPrintable& C) const
  {
    const TQRPrintableSize& S = *C.Size();
    const Integer L = Job->XPos(S.Left());
    const Integer T = Job->YPos(S.Top());
    return QRect(L, T, Job->XPos(S.Left() + S.Width()) - L, Job->YPos(S.Top() + S.Height()) - T);
  }

};

// ---------------------------------------------------------------------------
// Expressions

TEST(QRExprFormat, PrintTextByResultKindAndMask)
{
  struct Case {
    TQREvResult Value;
    const char* Mask;
    const char* Text;
  };
  TQREvResult Error;
  SetErrorResult(QStringLiteral("Unknown function : FOO"), Error);
  const Case Cases[] = {
    {IntResult(3), "", "3"},
    {IntResult(3), "#0.00", "3,00"},
    {IntResult(9000000001), "#,##0", "9\u00a0000\u00a0000\u00a0001"},
    {FloatResult(2.5), "", "2,5"},
    {FloatResult(2.5), "#0.00", "2,50"},
    {FloatResult(1234.5), "%m", "1\u00a0234,50 ₽"},
    {FloatResult(2.5), "Итого: %m", "Итого: 2,50 ₽"},
    {StringResult(QStringLiteral("Болт")), "#0.00", "Болт"},
    {BoolResult(true), "", "True"},
    {BoolResult(false), "", "False"},
    {Error, "#0.00", "Unknown function : FOO"},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Mask);
    EXPECT_EQ(TQRExpr::FormatValue(C.Value, QString::fromUtf8(C.Mask)), QString::fromUtf8(C.Text));
  }
  // A currency mask with a specifier that does not suit a number prints the
  // error instead of ending the run.
  const String Bad = TQRExpr::FormatValue(FloatResult(2.5), QStringLiteral("%m %d"));
  EXPECT_FALSE(Bad.isEmpty());
  EXPECT_FALSE(Bad.startsWith(QStringLiteral("2,50")));
}

TEST_F(PrintedControlsTest, ExpressionCaptionTotalsAndReset)
{
  auto* E = new TQRExpr(&Report);
  E->SetParent(Band);
  EXPECT_EQ(E->Caption(), "(none)");
  E->SetExpression(QStringLiteral("SUM(2.5)"));
  EXPECT_EQ(E->Caption(), "SUM(2.5)");
  E->SetMask(QStringLiteral("#0.00"));
  E->SetResetAfterPrint(true);

  const auto Page = PrintPage([&] {
    E->Prepare();
    for (Integer I = 0; I < 3; ++I)
      E->ReceiveNotify(&Report, 0);
    E->Print(0, 0);
    E->SetResetAfterPrint(false);
    for (Integer I = 0; I < 3; ++I) {
      E->ReceiveNotify(&Report, 0);
      E->Print(0, 0);
    }
  });
  // Three records, reset after their print; then a running total.
  EXPECT_EQ(Page->Texts(), (QStringList{"7,50", "2,50", "5,00", "7,50"}));
  E->Unprepare();
  EXPECT_EQ(E->Caption(), "SUM(2.5)");
  EXPECT_EQ(E->Value().Kind, resError);
}

// ---------------------------------------------------------------------------
// Shapes

TEST_F(PrintedControlsTest, ShapesMatchAReferenceDrawing)
{
  struct Case {
    const char* Name;
    TQRShapeType Shape;
    std::function<void(QPainter& P, const QRect& R)> Reference;
  };
  // The box's right and bottom edges are outside, as the window system draws.
  const Case Cases[] = {
    {"rectangle", qrsRectangle,
     [](QPainter& P, const QRect& R) {
       P.fillRect(R, Qt::black);
       P.fillRect(R.adjusted(1, 1, -1, -1), Qt::blue);
     }},
    {"circle", qrsCircle,
     [](QPainter& P, const QRect& R) {
       P.setPen(Qt::black);
       P.setBrush(Qt::blue);
       P.drawEllipse(R.adjusted(0, 0, -1, -1));
     }},
    {"horizontal line", qrsHorLine,
     [](QPainter& P, const QRect& R) { P.fillRect(QRect(R.left(), R.top() + R.height() / 2, R.width(), 1), Qt::black); }},
    {"vertical line", qrsVertLine,
     [](QPainter& P, const QRect& R) { P.fillRect(QRect(R.left() + R.width() / 2, R.top(), 1, R.height()), Qt::black); }},
    {"top and bottom", qrsTopAndBottom,
     [](QPainter& P, const QRect& R) {
       P.fillRect(QRect(R.left(), R.top(), R.width(), 1), Qt::black);
       P.fillRect(QRect(R.left(), R.bottom() + 1, R.width(), 1), Qt::black);
     }},
    {"right diagonal", qrsRightDiagonal,
     [](QPainter& P, const QRect& R) {
       P.setPen(Qt::black);
       P.drawLine(R.topLeft(), R.topLeft() + QPoint(R.width(), R.height()));
     }},
    {"left diagonal", qrsLeftDiagonal,
     [](QPainter& P, const QRect& R) {
       P.setPen(Qt::black);
       P.drawLine(R.topLeft() + QPoint(R.width(), 0), R.topLeft() + QPoint(0, R.height()));
     }},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    auto* S = new TQRShape(&Report);
    S->SetParent(Band);
    S->SetBounds(100, 100, 300, 200);
    S->SetShape(C.Shape);
    S->Brush()->SetColor(clBlue);
    const auto Page = PrintPage(S);
    const QImage Got = Played(*Page);
    QImage Want = White(Got.size());
    {
      QPainter P(&Want);
      C.Reference(P, Box(*S));
    }
    // Round edges may differ by a pixel here and there, nothing more.
    EXPECT_LE(Differing(Got, Want), Box(*S).width() / 4) << C.Name;
    delete S;
  }
}

// ---------------------------------------------------------------------------
// Pictures

// Four coloured quarters, so that a shift, a scale or a cut shows.
QImage Quarters(int W, int H)
{
  QImage I(W, H, QImage::Format_RGB32);
  QPainter P(&I);
  P.fillRect(0, 0, W / 2, H / 2, Qt::red);
  P.fillRect(W / 2, 0, W - W / 2, H / 2, Qt::green);
  P.fillRect(0, H / 2, W / 2, H - H / 2, Qt::blue);
  P.fillRect(W / 2, H / 2, W - W / 2, H - H / 2, Qt::yellow);
  return I;
}

TEST_F(PrintedControlsTest, ImagesStretchCentreAndClipLikeAReference)
{
  struct Case {
    const char* Name;
    QSize Picture;
    bool Stretch;
    bool Center;
  };
  const Case Cases[] = {
    {"small at the top left", {40, 30}, false, false},
    {"small centred", {40, 30}, false, true},
    {"stretched", {40, 30}, true, false},
    {"large cut at the edges", {150, 120}, false, false},
    {"large centred and cut", {150, 120}, false, true},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    const QImage Source = Quarters(C.Picture.width(), C.Picture.height());
    auto* Image = new TQRImage(&Report);
    Image->SetParent(Band);
    Image->SetBounds(100, 100, 200, 200);
    TBitmap Bitmap;
    Bitmap.Image() = Source.convertToFormat(QImage::Format_ARGB32);
    Image->Picture()->SetGraphic(&Bitmap);
    Image->SetStretch(C.Stretch);
    Image->SetCenter(C.Center);
    const auto Page = PrintPage(Image);
    const QImage Got = Played(*Page);

    const QRect R = Box(*Image);
    QImage Want = White(Got.size());
    {
      // The picture's pixels count at screen resolution: one pixel each.
      QPainter P(&Want);
      P.setClipRect(R);
      QRect Target(R.topLeft(), C.Picture);
      if (C.Stretch)
        Target = R;
      else if (C.Center)
        Target.translate((R.width() - C.Picture.width()) / 2, (R.height() - C.Picture.height()) / 2);
      P.drawImage(Target, Source);
    }
    EXPECT_LE(Differing(Got, Want), R.width() / 2) << C.Name;
    // Nothing of the picture lies outside the control.
    EXPECT_EQ(Got.pixel(R.right() + 2, R.top() + 2), qRgb(255, 255, 255));
    EXPECT_EQ(Got.pixel(R.left() + 2, R.bottom() + 2), qRgb(255, 255, 255));
    delete Image;
  }
}

// A picture stored in a bytea column prints centred like a reference; bytes
// that are no picture print nothing and do not stop the run.
TEST_F(PrintedControlsTest, FieldPictureFromARealQuery)
{
  const QImage Source = Quarters(40, 30);
  QByteArray Png;
  QBuffer Buffer(&Png);
  Buffer.open(QIODevice::WriteOnly);
  Source.save(&Buffer, "PNG");
  TADOConnection Db(nullptr);
  OpenTestConnection(Db);
  TADOQuery Q(nullptr);
  Q.SetConnection(&Db);
  Q.SQL()->SetText(QStringLiteral("select decode('%1', 'hex') as pic, decode('00ff00', 'hex') as junk")
                       .arg(QString::fromLatin1(Png.toHex())));
  Q.Open();

  for (const char* Field : {"pic", "junk"}) {
    SCOPED_TRACE(Field);
    auto* Image = new TQRDBImage(&Report);
    Image->SetParent(Band);
    Image->SetBounds(100, 100, 200, 200);
    Image->SetDataSet(&Q);
    Image->SetDataField(QString::fromLatin1(Field));
    const auto Page = PrintPage(Image);
    const QImage Got = Played(*Page);
    const QRect R = Box(*Image);
    QImage Want = White(Got.size());
    if (std::string(Field) == "pic") {
      QPainter P(&Want);
      P.drawImage(QRect(R.topLeft() + QPoint((R.width() - 40) / 2, (R.height() - 30) / 2), QSize(40, 30)), Source);
    }
    EXPECT_LE(Differing(Got, Want), R.width() / 2);
    Extended Height = 0;
    Image->GetExpandedHeight(Height);
    EXPECT_EQ(Height, std::string(Field) == "pic" ? 30 : 0);
    Image->Unprepare();
    delete Image;
  }
}

TEST_F(PrintedControlsTest, AutoSizedImageTakesThePictureSize)
{
  auto* Image = new TQRImage(&Report);
  Image->SetParent(Band);
  Image->SetAutoSize(true);
  TBitmap Bitmap(64, 48);
  Image->Picture()->SetGraphic(&Bitmap);
  EXPECT_EQ(Image->Width(), 64);
  EXPECT_EQ(Image->Height(), 48);
  // A bitmap that covers the control makes it opaque.
  EXPECT_FALSE(Image->Transparent());
  Image->SetAutoSize(false);
  Image->SetBounds(0, 0, 100, 100);
  Image->Picture()->SetGraphic(&Bitmap);
  EXPECT_TRUE(Image->Transparent());
}

TEST_F(PrintedControlsTest, HTMLImageLeavesNoMark)
{
  auto* Image = new TQRHTMLImage(&Report);
  Image->SetParent(Band);
  Image->SetImageURL(QStringLiteral("logo.png"));
  const auto Page = PrintPage(Image);
  const QImage Got = Played(*Page);
  EXPECT_EQ(Differing(Got, White(Got.size())), 0);
}

} // namespace
