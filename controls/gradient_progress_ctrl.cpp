// The gradient progress bar.

#include "controls/gradient_progress_ctrl.h"

#include <string>

#include "controls/gradient_math.h"
#include "controls/mem_dc.h"

namespace {

constexpr UINT kCentredLine = DT_CENTER | DT_VCENTER | DT_SINGLELINE;  // 37

// Fills `rect` with a brush of its own, made for this one fill.
void FillSolid(CDC* dc, const CRect& rect, COLORREF color) {
  CBrush brush;
  brush.CreateSolidBrush(color);
  dc->FillRect(&rect, &brush);
  brush.DeleteObject();
}

}  // namespace

CGradientProgressCtrl::CGradientProgressCtrl()
    : CProgressCtrl(),
      m_nRangeLower(0),
      m_nRangeUpper(100),
      m_nPosition(0),
      m_crStart(RGB(0, 0, 128)),
      m_crEnd(RGB(0, 0, 255)),
      m_crBackground(os::GetSysColor(COLOR_BTNFACE)),
      m_crText(RGB(255, 255, 255)),
      m_bShowPercentage(FALSE) {}

CGradientProgressCtrl::~CGradientProgressCtrl() = default;

void CGradientProgressCtrl::SetRange(int lower, int upper) {
  m_nRangeLower = lower;
  m_nRangeUpper = upper;
  m_nPosition.store(lower);
  CProgressCtrl::SetRange(static_cast<short>(lower), static_cast<short>(upper));
}

int CGradientProgressCtrl::SetPos(int position) {
  m_nPosition.store(position);
  return CProgressCtrl::SetPos(position);
}

void CGradientProgressCtrl::SetStartColor(COLORREF color) { m_crStart = color; }

void CGradientProgressCtrl::SetEndColor(COLORREF color) { m_crEnd = color; }

void CGradientProgressCtrl::SetTextColor(COLORREF color) { m_crText = color; }

void CGradientProgressCtrl::SetShowPercentage(BOOL show) { m_bShowPercentage = show; }

BOOL CGradientProgressCtrl::OnEraseBkgnd(CDC*) { return TRUE; }

void CGradientProgressCtrl::OnPaint() {
  CPaintDC dc(this);
  CRect rect;
  GetClientRect(&rect);
  // One reading of the position: the worker may move it during the paint, and the range test,
  // the fill limit, the lower-bound text and the percentage must describe the same position.
  const int32_t position = m_nPosition.load();

  if (position < m_nRangeLower || position > m_nRangeUpper) {
    // Out of range: an empty bar in the button-face colour as the system has it now.
    FillSolid(&dc, rect, os::GetSysColor(COLOR_BTNFACE));
    return;
  }

  // An upper bound of 0 (the system never sets one) gives a fill limit of 0 and no percentage,
  // so the bar shows its plain background rather than dividing by zero.
  int px = gradient::FillLimit(position, m_nRangeUpper, rect.right);
  DrawGradient(&dc, rect, px);

  if (position == m_nRangeLower) {
    dc.SetTextColor(m_crBackground);
    dc.SetBkColor(m_crBackground);
    dc.SetBkMode(OPAQUE);
    dc.DrawText(std::string(46, ' '), &rect, kCentredLine);
  }

  if (m_bShowPercentage) {
    const std::string text = gradient::PercentageText(position, m_nRangeUpper);
    if (!text.empty()) {
      dc.SetTextColor(m_crText);
      dc.SetBkMode(TRANSPARENT);
      dc.DrawText(text, &rect, kCentredLine);
    }
  }
}

void CGradientProgressCtrl::DrawGradient(CDC* pDC, CRect& rect, int& px) {
  CMemDC memDC(pDC);
  const gradient::Layout layout = gradient::MakeLayout(m_crStart, m_crEnd, rect.right);

  if (layout.bandCount == 0) {
    // Equal start and end colours leave no band to paint and nothing to divide by; the bar then
    // shows its plain background rather than whatever a fresh bitmap holds.
    FillSolid(&memDC, rect, m_crBackground);
    return;
  }

  for (int i = 0; i < layout.bandCount; ++i) {
    // One row more than the client height; the surface clips it away.
    const CRect band(gradient::BandEdge(layout, i), 0, gradient::BandEdge(layout, i + 1), rect.bottom + 1);
    FillSolid(&memDC, band, gradient::BandColor(m_crStart, layout, i));
    if (px == 0) {
      FillSolid(&memDC, rect, m_crBackground);
      break;
    }
    if (band.right > px) {
      FillSolid(&memDC, CRect(band.right, 0, rect.right, rect.bottom), m_crBackground);
      break;
    }
  }
  // memDC copies the picture onto pDC as it goes out of scope.
}
