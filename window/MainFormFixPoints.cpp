// The fix point list (rows of coordinate fields that are created and destroyed
// at run time), the draggable markers on the drawing area and the fix point
// preview. Coordinates of fix points are drawing-area pixels with the origin at
// the picture's top-left corner, y downward; a marker's position is its
// top-left corner. List positions are twips inside InsideContainer_frm.

#include "MainForm.h"

#include "Dialogs.h"
#include "FieldNumbers.h"
#include "FractalCatalogue.h"
#include "Logging.h"
#include "OutputPicture.h"
#include "TextField.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGraphicsOpacityEffect>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

namespace zv {

namespace {

constexpr int RowPitch = 500;    // twips between two rows
constexpr int FieldTop = 100;    // twips, top of row 0's fields
constexpr int LabelTop = 150;    // twips, top of row 0's labels
constexpr int MarkerMargin = 10; // pixels: the marker's size keeps it inside the area
constexpr int PictureBorder = 1; // Output_pic's border around the picture, pixels

const QColor SelectedRowColor(0, 255, 0);
const QColor PlainRowColor(255, 255, 255);

// A coordinate text as a whole number of pixels, halves to the even neighbour.
// Values beyond a 16-bit Integer (possible from a file) are held at its limits,
// which the clamping into the drawing area then brings back.
std::optional<int> coordinate(const QString& text) {
    const std::optional<double> v = fieldNumber(text);
    if (!v) {
        return std::nullopt;
    }
    return static_cast<int>(std::nearbyint(std::clamp(*v, -32768.0, 32767.0)));
}

void setFieldColor(QWidget* field, const QColor& color) {
    QPalette p = field->palette();
    p.setColor(QPalette::Base, color);
    field->setPalette(p);
}

// Routes mouse presses on the row labels and on the markers, and the marker
// drags, to the window's handlers by element index.
class FixPointMouse : public QObject {
public:
    explicit FixPointMouse(MainForm* form) : QObject(form), form_(form) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* w = qobject_cast<QWidget*>(watched);
        if (w == nullptr) {
            return false;
        }
        const int index = w->property("Index").toInt();
        const QString name = w->objectName();
        QEvent::Type type = event->type();
        if (type == QEvent::MouseButtonDblClick) {
            // A marker takes the second press of a double click as a press:
            // it must not reach the drawing area, where it would add a point.
            if (name != QLatin1String("FixPoint_img")) {
                return false;
            }
            type = QEvent::MouseButtonPress;
        }
        if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
            type != QEvent::MouseButtonRelease) {
            return false;
        }
        auto* mouse = static_cast<QMouseEvent*>(event);
        const QPoint pos = mouse->position().toPoint();
        if (name == QLatin1String("XPos_lbl") || name == QLatin1String("YPos_lbl")) {
            if (type == QEvent::MouseButtonPress) {
                if (name == QLatin1String("XPos_lbl")) {
                    form_->XPos_lbl_Click(index);
                } else {
                    form_->YPos_lbl_Click(index);
                }
                return true;
            }
            return false;
        }
        if (name != QLatin1String("FixPoint_img")) {
            return false;
        }
        if (type == QEvent::MouseButtonPress) {
            if (mouse->button() == Qt::LeftButton || !form_->FixPointDragActive()) {
                form_->FixPoint_img_MouseDown(index, pos.x(), pos.y());
            }
            return true;
        }
        if (!form_->FixPointDragActive()) {
            return type != QEvent::MouseMove;
        }
        // The pointer in drawing-area pixels; a marker lies on the drawing area.
        const QPoint area = w->mapToParent(pos) - QPoint(PictureBorder, PictureBorder);
        if (type == QEvent::MouseMove) {
            form_->Output_pic_DragOver(area.x(), area.y());
        } else if (mouse->buttons() == Qt::NoButton) {
            form_->Output_pic_DragDrop(index, area.x(), area.y());
        }
        return true;
    }

private:
    MainForm* form_;
};

} // namespace

void MainForm::connectFixPointList() {
    fixPointEvents_ = new FixPointMouse(this);
    connect(AddFixPoint_btn, &QPushButton::clicked, this, &MainForm::AddFixPoint_btn_Click);
    connect(RemoveFixPoint_btn, &QPushButton::clicked, this, &MainForm::RemoveFixPoint_btn_Click);
    connect(ConnectLast_chk, &QCheckBox::clicked, this, &MainForm::ConnectLast_chk_Click);
    connect(Output_pic, &OutputPicture::doubleClicked, this, &MainForm::Output_pic_DblClick);
    connectFixPointRow(0);
    connectMarker(FixPoint_img[0]);
}

void MainForm::connectFixPointRow(int index) {
    XPos_lbl[index]->installEventFilter(fixPointEvents_);
    YPos_lbl[index]->installEventFilter(fixPointEvents_);
    connect(XPos_txt[index], &TextField::gotFocus, this,
            [this, index] { XPos_txt_GotFocus(index); });
    connect(YPos_txt[index], &TextField::gotFocus, this,
            [this, index] { YPos_txt_GotFocus(index); });
    connect(XPos_txt[index], &TextField::lostFocus, this,
            [this, index] { XPos_txt_LostFocus(index); });
    connect(YPos_txt[index], &TextField::lostFocus, this,
            [this, index] { YPos_txt_LostFocus(index); });
}

void MainForm::connectMarker(QLabel* marker) {
    marker->installEventFilter(fixPointEvents_);
    marker->setCursor(Qt::OpenHandCursor);
    marker->setToolTip(QStringLiteral("drag to move this FixPoint"));
}

// --- Rows ---------------------------------------------------------------------

void MainForm::AddFixPoint_btn_Click() {
    const int n = static_cast<int>(FixPoint_img.size());
    if (n >= MostFixPoints) {
        dialogs_.message(QStringLiteral("Adding impossible:"),
                         QStringLiteral("The maximal number of FixPoints is already reached"),
                         MessageIcon::Exclamation, MessageButtons::Ok);
        return;
    }
    // Rows 1 and up start as copies of row 0: same size, picture and text.
    auto* xl = new QLabel(InsideContainer_frm);
    auto* xt = new TextField(InsideContainer_frm);
    auto* yl = new QLabel(InsideContainer_frm);
    auto* yt = new TextField(InsideContainer_frm);
    xl->setObjectName(QStringLiteral("XPos_lbl"));
    xt->setObjectName(QStringLiteral("XPos_txt"));
    yl->setObjectName(QStringLiteral("YPos_lbl"));
    yt->setObjectName(QStringLiteral("YPos_txt"));
    for (auto [copy, original] :
         {std::pair<QLabel*, QLabel*>{xl, XPos_lbl[0]}, {yl, YPos_lbl[0]}}) {
        copy->setFont(original->font());
    }
    for (auto [copy, original] :
         {std::pair<TextField*, TextField*>{xt, XPos_txt[0]}, {yt, YPos_txt[0]}}) {
        copy->setAlignment(original->alignment());
        copy->setTypingLimit(original->typingLimit());
        copy->setText(original->text());
        copy->setPalette(original->palette());
    }
    for (QWidget* w : std::initializer_list<QWidget*>{xl, xt, yl, yt}) {
        w->setProperty("Index", n);
        w->hide();
    }
    place(xl, 75, LabelTop + RowPitch * n, 250, 195);
    place(xt, 325, FieldTop + RowPitch * n, 400, 300);
    place(yl, 825, LabelTop + RowPitch * n, 250, 195);
    place(yt, 1075, FieldTop + RowPitch * n, 400, 300);
    xl->setText(QStringLiteral("X%1:").arg(n + 1));
    yl->setText(QStringLiteral("Y%1:").arg(n + 1));
    XPos_lbl.push_back(xl);
    XPos_txt.push_back(xt);
    YPos_lbl.push_back(yl);
    YPos_txt.push_back(yt);
    connectFixPointRow(n);
    // Tab walks the rows in order, then on to the check box.
    QWidget::setTabOrder(YPos_txt[n - 1], xt);
    QWidget::setTabOrder(xt, yt);

    SelectFixPoint(n);
    for (QWidget* w : std::initializer_list<QWidget*>{xl, xt, yl, yt}) {
        w->show();
    }
    ConnectLast_chk->move(ConnectLast_chk->x(), twips_.py(RowPitch * (n + 1)));
    UpdateFixPointsScroller();

    auto* marker = new QLabel(Output_pic);
    marker->setObjectName(QStringLiteral("FixPoint_img"));
    marker->setProperty("Index", n);
    marker->setPixmap(FixPoint_img[0]->pixmap());
    marker->setGeometry(FixPoint_img[0]->geometry());
    marker->hide();
    connectMarker(marker);
    FixPoint_img.push_back(marker);

    // 10 pixels right of the previous last point, at the first point's height.
    int x = coordinate(XPos_txt[n - 1]->text()).value_or(0) + 10;
    int y = coordinate(yt->text()).value_or(0);
    PlaceFixPoint(n, x, y);
    marker->show();
}

void MainForm::RemoveFixPoint_btn_Click() {
    const int m = static_cast<int>(FixPoint_img.size()) - 1;
    if (m + 1 <= FewestFixPoints) {
        dialogs_.message(QStringLiteral("Removing impossible:"),
                         QStringLiteral("The minimal number of FixPoints is reached"),
                         MessageIcon::Exclamation, MessageButtons::Ok);
        return;
    }
    if (dragIndex_ == m) {
        endFixPointDrag();
    }
    // A field that still has the focus hands it on before it goes, so that no
    // focus change reaches a row that is half destroyed.
    for (QWidget* w : std::initializer_list<QWidget*>{XPos_txt[m], YPos_txt[m]}) {
        if (w->hasFocus()) {
            RemoveFixPoint_btn->setFocus(Qt::OtherFocusReason);
        }
    }
    QWidget* row[] = {XPos_lbl[m], XPos_txt[m], YPos_lbl[m], YPos_txt[m], FixPoint_img[m]};
    XPos_lbl.pop_back();
    XPos_txt.pop_back();
    YPos_lbl.pop_back();
    YPos_txt.pop_back();
    FixPoint_img.pop_back();
    for (QWidget* w : row) {
        w->disconnect(this);
        delete w;
    }
    ConnectLast_chk->move(ConnectLast_chk->x(), twips_.py(RowPitch * m));
    UpdateFixPointsScroller();
    SelectFixPoint(m - 1);
    DrawFixPointsPreview();
}

void MainForm::SetFixPointCount() {
    // Each command keeps its own limits and messages. A request far outside
    // them still ends after a bounded number of refusals.
    constexpr std::int64_t MaxAttempts = 2 * MostFixPoints;
    const std::int64_t wanted = static_cast<std::int64_t>(LastFixPointIndex) + 1;
    const std::int64_t adds =
        std::min(wanted - static_cast<std::int64_t>(FixPoint_img.size()), MaxAttempts);
    for (std::int64_t i = 0; i < adds; ++i) {
        AddFixPoint_btn_Click();
    }
    const std::int64_t removes =
        std::min(static_cast<std::int64_t>(FixPoint_img.size()) - wanted, MaxAttempts);
    for (std::int64_t i = 0; i < removes; ++i) {
        RemoveFixPoint_btn_Click();
    }
}

void MainForm::SelectFixPoint(int Index) {
    const auto rows = static_cast<int>(XPos_txt.size());
    // The previously selected row may be gone (it was the removed last row).
    if (SelectedFixPoint >= 0 && SelectedFixPoint < rows) {
        setFieldColor(XPos_txt[SelectedFixPoint], PlainRowColor);
        setFieldColor(YPos_txt[SelectedFixPoint], PlainRowColor);
    }
    if (Index < 0 || Index >= rows) {
        return;
    }
    setFieldColor(XPos_txt[Index], SelectedRowColor);
    setFieldColor(YPos_txt[Index], SelectedRowColor);
    SelectedFixPoint = Index;
}

// The field gets the focus as by a shortcut, not by a click into it: its next
// click places the cursor instead of selecting the whole text again.
void MainForm::XPos_lbl_Click(int Index) {
    if (Index >= 0 && Index < static_cast<int>(XPos_txt.size())) {
        XPos_txt[Index]->setFocus(Qt::ShortcutFocusReason);
    }
}

void MainForm::YPos_lbl_Click(int Index) {
    if (Index >= 0 && Index < static_cast<int>(YPos_txt.size())) {
        YPos_txt[Index]->setFocus(Qt::ShortcutFocusReason);
    }
}

// The field selects its whole text itself when it gets the focus.
void MainForm::XPos_txt_GotFocus(int Index) {
    SelectFixPoint(Index);
}

void MainForm::YPos_txt_GotFocus(int Index) {
    SelectFixPoint(Index);
}

namespace {

// Repairs a coordinate field the user left: not a number or negative gives
// "0", beyond the area's size gives the size (the marker clamp takes the rest).
void repairCoordinate(TextField* field, const QString& areaText) {
    if (!fieldNumber(field->text())) {
        field->setText(QStringLiteral("0"));
    }
    if (const std::optional<double> v = fieldNumber(field->text()); v && *v < 0) {
        field->setText(QStringLiteral("0"));
    }
    const std::optional<double> limit = fieldNumber(areaText);
    if (const std::optional<double> v = fieldNumber(field->text()); v && limit && *v > *limit) {
        field->setText(areaText);
    }
}

} // namespace

void MainForm::XPos_txt_LostFocus(int Index) {
    coordinate_LostFocus(Index, XPos_txt, AreaWidth_txt->text());
}

void MainForm::YPos_txt_LostFocus(int Index) {
    if (coordinate_LostFocus(Index, YPos_txt, AreaHeight_txt->text())) {
        syncCantorHeights(Index);
    }
}

// Repairs field Index of fields (XPos_txt or YPos_txt) against the area's
// size and places its row's point; false for a row that does not exist.
bool MainForm::coordinate_LostFocus(int Index, const std::vector<TextField*>& fields,
                                    const QString& areaText) {
    if (Index < 0 || Index >= static_cast<int>(std::min(XPos_txt.size(), YPos_txt.size()))) {
        return false;
    }
    repairCoordinate(fields[static_cast<std::size_t>(Index)], areaText);
    int x = coordinate(XPos_txt[Index]->text()).value_or(0);
    int y = coordinate(YPos_txt[Index]->text()).value_or(0);
    PlaceFixPoint(Index, x, y);
    return true;
}

void MainForm::syncCantorHeights(int Index) {
    const FractalTypeRow* type = catalogueRowAt(FractalType_cmb->currentIndex());
    if (type == nullptr || !type->firstTwoPointsLevel || YPos_txt.size() < 2) {
        return;
    }
    if (Index == 0 || Index == 1) {
        YPos_txt[1 - Index]->setText(YPos_txt[Index]->text());
    }
    PlaceAllFixPoints();
}

void MainForm::ConnectLast_chk_Click() {
    DrawFixPointsPreview();
}

// --- Markers and preview ---------------------------------------------------------

void MainForm::PlaceFixPoint(int Index, int& X, int& Y) {
    const int areaWidth = coordinate(AreaWidth_txt->text()).value_or(Output_pic->innerWidth());
    const int areaHeight = coordinate(AreaHeight_txt->text()).value_or(Output_pic->innerHeight());
    if (X < 0) {
        X = 0;
    }
    if (X > areaWidth - MarkerMargin) {
        X = areaWidth - MarkerMargin;
    }
    if (Y < 0) {
        Y = 0;
    }
    if (Y > areaHeight - MarkerMargin) {
        Y = areaHeight - MarkerMargin;
    }
    if (Index < 0 || Index >= static_cast<int>(FixPoint_img.size())) {
        return;
    }
    FixPoint_img[Index]->move(X + PictureBorder, Y + PictureBorder);
    XPos_txt[Index]->setText(QString::number(X));
    YPos_txt[Index]->setText(QString::number(Y));
    DrawFixPointsPreview();
}

void MainForm::PlaceAllFixPoints() {
    for (int i = 0; i <= LastFixPointIndex && i < static_cast<int>(FixPoint_img.size()); ++i) {
        const std::optional<int> x = coordinate(XPos_txt[i]->text());
        const std::optional<int> y = coordinate(YPos_txt[i]->text());
        if (!x || !y) {
            continue;
        }
        int px = *x;
        int py = *y;
        PlaceFixPoint(i, px, py);
    }
}

void MainForm::DrawFixPointsPreview() {
    ImageCanvas& canvas = Output_pic->canvas();
    canvas.Clear();
    const auto n = static_cast<int>(FixPoint_img.size());
    // Marker geometry in drawing-area pixels.
    const auto left = [this](int i) { return FixPoint_img[i]->x() - PictureBorder; };
    const auto top = [this](int i) { return FixPoint_img[i]->y() - PictureBorder; };
    const auto centreX = [&](int i) { return left(i) + FixPoint_img[i]->width() / 2.0F; };
    const auto centreY = [&](int i) { return top(i) + FixPoint_img[i]->height() / 2.0F; };
    const auto number = [&](int i) {
        canvas.PrintText(left(i) - 2, top(i) + FixPoint_img[i]->height(),
                         QStringLiteral(" %1").arg(i + 1));
    };
    const std::int32_t fore = canvas.ForeColor();
    for (int i = 1; i < n; ++i) {
        canvas.Line(static_cast<float>(centreX(i - 1)), static_cast<float>(centreY(i - 1)),
                    static_cast<float>(centreX(i)), static_cast<float>(centreY(i)), fore);
        number(i - 1);
    }
    if (n > 0) {
        number(n - 1);
        if (ConnectLast_chk->isChecked()) {
            canvas.Line(centreX(0), centreY(0), centreX(n - 1), centreY(n - 1), fore);
        }
    }
    canvas.Refresh();
}

// --- Dragging ---------------------------------------------------------------------

void MainForm::FixPoint_img_MouseDown(int Index, int x, int y) {
    // Markers are hidden during a run; a press that still reaches one then
    // must not move a point under the running figure.
    if (Index < 0 || Index >= static_cast<int>(FixPoint_img.size()) || GlobalState() != EditMode) {
        return;
    }
    DragOffsetX = -x;
    DragOffsetY = -y;
    SelectFixPoint(Index);
    dragIndex_ = Index;
    // The marker stays where it is; a faint copy follows the pointer.
    if (dragFeedback_ == nullptr) {
        dragFeedback_ = new QLabel(Output_pic);
        dragFeedback_->setObjectName(QStringLiteral("FixPointDragFeedback"));
        dragFeedback_->setAttribute(Qt::WA_TransparentForMouseEvents);
        auto* faint = new QGraphicsOpacityEffect(dragFeedback_);
        faint->setOpacity(0.5);
        dragFeedback_->setGraphicsEffect(faint);
    }
    dragFeedback_->setPixmap(FixPoint_img[Index]->pixmap());
    dragFeedback_->setGeometry(FixPoint_img[Index]->geometry());
    dragFeedback_->hide();
    FixPoint_img[Index]->setCursor(Qt::ClosedHandCursor);
}

void MainForm::Output_pic_DragOver(int x, int y) {
    if (dragIndex_ < 0) {
        return;
    }
    // Leaving the drawing area (its border included) ends the drag at once.
    if (x < -PictureBorder || y < -PictureBorder || x > Output_pic->innerWidth() ||
        y > Output_pic->innerHeight()) {
        endFixPointDrag();
        return;
    }
    dragFeedback_->move(x + DragOffsetX + PictureBorder, y + DragOffsetY + PictureBorder);
    dragFeedback_->show();
    dragFeedback_->raise();
}

void MainForm::Output_pic_DragDrop(int Index, int x, int y) {
    // A run started from the keyboard while the button was held ends the drag
    // without a drop: the preview would erase the run's picture.
    if (dragIndex_ < 0 || Index != dragIndex_ || Index >= static_cast<int>(FixPoint_img.size()) ||
        GlobalState() != EditMode || FixPoint_img[Index]->isHidden()) {
        endFixPointDrag();
        return;
    }
    endFixPointDrag();
    // Only the drawing area takes a drop: releasing over a marker, the dragged
    // one's own place included, changes nothing (a plain click on a marker
    // therefore never moves it).
    const QPoint widgetPos(x + PictureBorder, y + PictureBorder);
    if (!Output_pic->rect().contains(widgetPos)) {
        return;
    }
    for (QLabel* marker : FixPoint_img) {
        if (marker->isVisible() && marker->geometry().contains(widgetPos)) {
            return;
        }
    }
    int px = DragOffsetX + x;
    int py = DragOffsetY + y;
    PlaceFixPoint(Index, px, py);
    syncCantorHeights(Index);
    if (Index < static_cast<int>(XPos_txt.size()) && Index < static_cast<int>(YPos_txt.size())) {
        qCDebug(windowLog, "fixpoint %d dropped at %s %s", Index,
                qUtf8Printable(XPos_txt[Index]->text()), qUtf8Printable(YPos_txt[Index]->text()));
    }
}

void MainForm::endFixPointDrag() {
    if (dragIndex_ >= 0 && dragIndex_ < static_cast<int>(FixPoint_img.size())) {
        FixPoint_img[dragIndex_]->setCursor(Qt::OpenHandCursor);
    }
    dragIndex_ = -1;
    if (dragFeedback_ != nullptr) {
        dragFeedback_->hide();
    }
}

void MainForm::Output_pic_DblClick() {
    // Only where the add button itself could be pressed: not while a run is
    // under way (the preview would erase its picture) and not for the types
    // whose number of points is fixed.
    if (GlobalState() != EditMode || !AddFixPoint_btn->isEnabled()) {
        return;
    }
    AddFixPoint_btn_Click();
}

} // namespace zv
