#include "MainForm.h"

#include "ColorSwatch.h"
#include "Dialogs.h"
#include "FractalCatalogue.h"
#include "KeyedStatusBar.h"
#include "Logging.h"
#include "OutputPicture.h"
#include "TextField.h"
#include "WindowFont.h"
#include "WindowPictures.h"
#include "WrappingCheckBox.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QProxyStyle>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTimer>

namespace zv {

namespace {

// A sunken groove across the common parameter frame: a grey line with a white
// line one pixel below it.
class EtchedLine : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setPen(QColor(128, 128, 128));
        painter.drawLine(0, 0, width() - 1, 0);
        painter.setPen(QColor(255, 255, 255));
        painter.drawLine(0, height() - 1, width() - 1, height() - 1);
    }
};

QString versionCaption() {
    return QStringLiteral("Zorvandine v%1.%2%3")
        .arg(ZORVANDINE_VERSION_MAJOR)
        .arg(ZORVANDINE_VERSION_MINOR)
        .arg(QChar(97 + ZORVANDINE_VERSION_REVISION));
}

// Fusion's 13-pixel check and option indicators do not fit the 13-pixel rows of
// this layout with room to spare; 11 pixels do.
class CompactIndicatorStyle : public QProxyStyle {
public:
    CompactIndicatorStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        switch (metric) {
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight:
            return 11;
        default:
            return QProxyStyle::pixelMetric(metric, option, widget);
        }
    }
};

// A caption a little wider than its label (the font differs from platform to
// platform) is drawn narrower rather than cut at the label's edge.
void condenseToFit(QLabel* label) {
    const QString text = label->text();
    if (text.isEmpty() || label->wordWrap()) {
        return;
    }
    QFont font = label->font();
    const int room = label->contentsRect().width();
    for (int stretch = 100; stretch >= 80; stretch -= 4) {
        font.setStretch(stretch);
        if (QFontMetrics(font).tightBoundingRect(text).right() < room) {
            if (stretch < 100) {
                label->setFont(font);
            }
            return;
        }
    }
}

} // namespace

template <class W>
W* MainForm::make(QWidget* parent, const char* name, int left, int top, int width, int height) {
    auto* w = new W(parent);
    w->setObjectName(QString::fromLatin1(name));
    place(w, left, top, width, height);
    return w;
}

void MainForm::place(QWidget* w, int left, int top, int width, int height) const {
    w->setGeometry(twips_.px(left), twips_.py(top), twips_.px(width), twips_.py(height));
}

void MainForm::makeControls(std::initializer_list<Control> table) {
    for (const Control& c : table) {
        std::visit(
            [&](auto** target) {
                using W = std::remove_pointer_t<std::remove_pointer_t<decltype(target)>>;
                const auto [left, top, width, height] = c.twips;
                W* w = make<W>(c.parent, c.name, left, top, width, height);
                if constexpr (std::is_same_v<W, QGroupBox>) {
                    w->setTitle(QString::fromLatin1(c.text));
                } else {
                    w->setText(QString::fromLatin1(c.text));
                }
                *target = w;
            },
            c.target);
    }
}

MainForm::MainForm(ParameterModel& model, Dialogs& dialogs, const QString& programFolder,
                   QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      model_(model), dialogs_(dialogs),
      programFolder_(programFolder.endsWith(QLatin1Char('/')) ? programFolder
                                                              : programFolder + QLatin1Char('/')) {
    setObjectName(QStringLiteral("MainForm"));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        twips_ = TwipsScale::fromDpi(screen->logicalDotsPerInchX(), screen->logicalDotsPerInchY());
    }

    // The controls are laid out for 8-point condensed text; a wider font would clip.
    setFont(windowFont());
    setWindowIcon(programIcon());
    // The bar open and a 200 x 250 drawing area.
    resize(twips_.px(7425), twips_.py(4680));

    createTopRow();
    createCommonParameters();
    createRightColumn();
    createStatusBar();
    connectNumericFields();
    connectFixPointList();
    connectTypeSelection();
    setTabOrder();
    compactStyle_ = new CompactIndicatorStyle;
    compactStyle_->setParent(this);
    for (QAbstractButton* b : std::initializer_list<QAbstractButton*>{
             RandomForeColor_chk, Pause_chk, ConnectLast_chk, DrawMode_opt[0], DrawMode_opt[1],
             DrawMode_opt[2], DrawMode_opt[3]}) {
        b->setStyle(compactStyle_);
    }

    for (QLabel* label : findChildren<QLabel*>()) {
        if (qobject_cast<StatusPanel*>(label) == nullptr) {
            condenseToFit(label);
        }
    }

    connect(this, &MainForm::pictureExportRequested, this, &MainForm::SavePicture);
    connect(this, &MainForm::animationExportRequested, this, &MainForm::SaveBuildUp);
    qApp->installEventFilter(this);
    Form_Load();
}

MainForm::~MainForm() {
    qApp->removeEventFilter(this);
    // The model outlives the window: it must not keep pointing at our picture.
    if (model_.Canvas == &Output_pic->canvas()) {
        model_.Canvas = nullptr;
    }
}

void MainForm::createTopRow() {
    FractalType_cmb = make<QComboBox>(this, "FractalType_cmb", 100, 100, 1225, 315);
    FractalType_cmb->setEditable(false);
    // At the narrowest the list shows only the start of a name; the open list
    // and the tool tip show it whole.
    connect(FractalType_cmb, &QComboBox::currentTextChanged, FractalType_cmb,
            &QWidget::setToolTip);

    Stripe_lbl = make<QLabel>(this, "Stripe_lbl", 3230, 210, 4200, 120);
    Stripe_lbl->setAutoFillBackground(true);
    QPalette stripe = Stripe_lbl->palette();
    stripe.setColor(QPalette::Window, palette().color(QPalette::Disabled, QPalette::WindowText));
    Stripe_lbl->setPalette(stripe);

    makeControls({{&Draw_btn, this, "Draw_btn", {1325, 100, 1500, 315}, "&Draw Fractal"},
                  {&Params_btn, this, "Params_btn", {2825, 100, 400, 315}, "<<& "},
                  {&Import_btn, this, "Import_btn", {4130, 100, 1200, 315}, "&Import"},
                  {&Export_btn, this, "Export_btn", {5330, 100, 1200, 315}, "&Export"}});
    Draw_btn->setDefault(true);
    Params_btn->setToolTip(QStringLiteral("Close/Open ParameterBar"));
    SetParams_btn_Tag(QStringLiteral("1"));
    // Enter presses the focused button; elsewhere it presses Draw_btn (eventFilter).
    // Draw_btn itself is the default button, not an auto-default one: outside a
    // dialog Qt drops the default mark of an auto-default button that loses the focus.
    Draw_btn->setAutoDefault(false);
    for (QPushButton* b : {Params_btn, Import_btn, Export_btn}) {
        b->setAutoDefault(true);
    }
    connect(Draw_btn, &QPushButton::clicked, this, &MainForm::Draw_btn_Click);
    connect(Params_btn, &QPushButton::clicked, this, &MainForm::Params_btn_Click);
    connect(Import_btn, &QPushButton::clicked, this, &MainForm::Import_btn_Click);
    connect(Export_btn, &QPushButton::clicked, this, &MainForm::Export_btn_Click);

    Output_pic = make<OutputPicture>(this, "Output_pic", 100, 500, 3030, 3780);
    Output_pic->setFocusPolicy(Qt::StrongFocus);
    Output_pic->canvas().SetBackColor(0xFFFFFF);
    Output_pic->canvas().SetForeColor(0x000000);
    Output_pic->canvas().Clear();

    // Inside Output_pic a marker at picture pixel (x, y) sits at widget pixel (x + 1, y + 1).
    auto* marker = new QLabel(Output_pic);
    marker->setObjectName(QStringLiteral("FixPoint_img"));
    marker->setProperty("Index", 0);
    marker->setPixmap(fixPointMarker());
    marker->setGeometry(1, 1, twips_.px(150), twips_.py(150));
    FixPoint_img.push_back(marker);

    Unload_tmr = new QTimer(this);
    Unload_tmr->setObjectName(QStringLiteral("Unload_tmr"));
    Unload_tmr->setInterval(1);
    Unload_tmr->setSingleShot(true);
    connect(Unload_tmr, &QTimer::timeout, this, &MainForm::Unload_tmr_Timer);

    const QColor discs[3] = {QColor(0, 192, 0), QColor(224, 0, 0), QColor(255, 220, 0)};
    for (int i = 0; i < 3; ++i) {
        auto* icon = make<QLabel>(this, "GSIcon_pic", 240 * i, 4140, 240, 240);
        icon->setProperty("Index", i);
        icon->setPixmap(stateDisc(discs[i]));
        icon->hide();
        GSIcon_pic.push_back(icon);
    }
}

void MainForm::createCommonParameters() {
    makeControls({{&CommonParameter_frm,
                   this,
                   "CommonParameter_frm",
                   {3230, 500, 2000, 3780},
                   "Common Parameter:"}});
    QGroupBox* f = CommonParameter_frm;
    makeControls(
        {{&AreaWidth_lbl, f, "AreaWidth_lbl", {150, 405, 850, 195}, "AreaWidth:"},
         {&AreaWidth_txt, f, "AreaWidth_txt", {1050, 350, 500, 300}, "200"},
         {&AreaWidthDescription_lbl, f, "AreaWidthDescription_lbl", {1580, 400, 350, 195}, "Pixel"},
         {&AreaHeight_lbl, f, "AreaHeight_lbl", {150, 750, 850, 195}, "AreaHeight:"},
         {&AreaHeight_txt, f, "AreaHeight_txt", {1050, 700, 500, 300}, "250"},
         {&AreaHeightDescription_lbl,
          f,
          "AreaHeightDescription_lbl",
          {1580, 750, 350, 195},
          "Pixel"}});
    AreaWidth_txt->setTypingLimit(3);
    AreaHeight_txt->setTypingLimit(3);

    BackColor_pic = make<ColorSwatch>(f, "BackColor_pic", 150, 1300, 1700, 350);
    BackColor_pic->setColor(0xFFFFFF);
    ForeColor_pic = make<ColorSwatch>(f, "ForeColor_pic", 150, 1700, 1700, 350);
    ForeColor_pic->setColor(0x000000);
    for (ColorSwatch* s : {BackColor_pic, ForeColor_pic}) {
        s->setFocusPolicy(Qt::StrongFocus);
    }
    connect(BackColor_pic, &ColorSwatch::clicked, this, &MainForm::BackColor_pic_Click);
    connect(ForeColor_pic, &ColorSwatch::clicked, this, &MainForm::ForeColor_pic_Click);

    makeControls({{&RandomForeColor_chk,
                   f,
                   "RandomForeColor_chk",
                   {150, 2100, 1700, 200},
                   "Random ForeColor"},
                  {&CalcDepth_lbl, f, "CalcDepth_lbl", {150, 2615, 795, 195}, "CalcDepth:"},
                  {&CalcDepth_txt, f, "CalcDepth_txt", {1000, 2565, 850, 300}, "10"},
                  {&Pause_chk, f, "Pause_chk", {100, 2980, 1800, 200}, "Pause after each op."},
                  {&SpecialParams_btn,
                   f,
                   "SpecialParams_btn",
                   {100, 3387, 1800, 300},
                   "> &Switch to Special >"}});
    SpecialParams_btn->setAutoDefault(true);

    int n = 1;
    for (const int top : {1150, 2400, 3280}) {
        const QByteArray name = "Separator" + QByteArray::number(n++) + "_lin";
        auto* line = new EtchedLine(f);
        line->setObjectName(QString::fromLatin1(name));
        line->setGeometry(0, twips_.py(top), twips_.px(1985), 2);
    }
}

void MainForm::createRightColumn() {
    makeControls({{&DrawModes_frm, this, "DrawModes_frm", {5330, 500, 2000, 1450}, "Draw Modes:"}});
    DrawModes_frm->setToolTip(QStringLiteral("for detailed information open the Readme-File"));
    const char* modes[4] = {"Recursive", "Chaos Game", "Turtle Graphics", "Demo"};
    for (int i = 0; i < 4; ++i) {
        auto* opt =
            make<QRadioButton>(DrawModes_frm, "DrawMode_opt", 150, 350 + 250 * i, 1700, 200);
        opt->setProperty("Index", i);
        opt->setText(QString::fromLatin1(modes[i]));
        DrawMode_opt.push_back(opt);
    }
    createFixPointList();
    createSpecialFrames();
}

void MainForm::createFixPointList() {
    makeControls({{&FixPoints_frm, this, "FixPoints_frm", {5330, 2050, 2000, 2220}, "FixPoints:"}});
    makeControls(
        {{&AddFixPoint_btn, FixPoints_frm, "AddFixPoint_btn", {90, 300, 785, 300}, "&Add new"},
         {&RemoveFixPoint_btn,
          FixPoints_frm,
          "RemoveFixPoint_btn",
          {875, 300, 1030, 300},
          "&Remove last"}});
    for (QPushButton* b : {AddFixPoint_btn, RemoveFixPoint_btn}) {
        b->setAutoDefault(true);
    }
    OutsideContainer_frm =
        make<QWidget>(FixPoints_frm, "OutsideContainer_frm", 100, 700, 1800, 1420);
    FixPointsScroller =
        make<QScrollBar>(OutsideContainer_frm, "FixPointsScroller", 1575, 0, 225, 1420);
    FixPointsScroller->setOrientation(Qt::Vertical);
    FixPointsScroller->setRange(0, 0);
    FixPointsScroller->setSingleStep(5);
    FixPointsScroller->setPageStep(30);
    // Dragging the thumb scrolls the rows when it is released.
    FixPointsScroller->setTracking(false);
    connect(FixPointsScroller, &QScrollBar::valueChanged, this,
            &MainForm::FixPointsScroller_Change);
    InsideContainer_frm =
        make<QWidget>(OutsideContainer_frm, "InsideContainer_frm", 0, 0, 1575, 4500);

    auto* xl = make<QLabel>(InsideContainer_frm, "XPos_lbl", 75, 150, 250, 195);
    xl->setText(QStringLiteral("X1:"));
    auto* xt = make<TextField>(InsideContainer_frm, "XPos_txt", 325, 100, 400, 300);
    auto* yl = make<QLabel>(InsideContainer_frm, "YPos_lbl", 825, 150, 250, 195);
    yl->setText(QStringLiteral("Y1:"));
    auto* yt = make<TextField>(InsideContainer_frm, "YPos_txt", 1075, 100, 400, 300);
    for (TextField* t : {xt, yt}) {
        t->setText(QStringLiteral("0"));
        t->setAlignment(Qt::AlignHCenter);
        t->setTypingLimit(4);
    }
    for (QWidget* w : std::initializer_list<QWidget*>{xl, xt, yl, yt}) {
        w->setProperty("Index", 0);
    }
    XPos_lbl.push_back(xl);
    XPos_txt.push_back(xt);
    YPos_lbl.push_back(yl);
    YPos_txt.push_back(yt);
    ConnectLast_chk =
        make<WrappingCheckBox>(InsideContainer_frm, "ConnectLast_chk", 0, 500, 1575, 400);
    ConnectLast_chk->setText(QStringLiteral("Connect last FixPoint with first"));
}

void MainForm::createSpecialFrames() {
    makeControls(
        {{&CantorSet_frm, this, "CantorSet_frm", {5330, 2050, 2000, 1130}, "CantorSet Special:"}});
    QGroupBox* f = CantorSet_frm;
    makeControls(
        {{&StepHeight_lbl, f, "StepHeight_lbl", {100, 400, 850, 195}, "StepHeight:"},
         {&StepHeight_txt, f, "StepHeight_txt", {1000, 350, 500, 300}, "20"},
         {&StepHeightDescription_lbl,
          f,
          "StepHeightDescription_lbl",
          {1530, 400, 345, 195},
          "Pixel"},
         {&ElementsCount_lbl, f, "ElementsCount_lbl", {100, 750, 1300, 195}, "ElementsCount:"},
         {&ElementsCount_txt, f, "ElementsCount_txt", {1450, 700, 450, 300}, "3"}});
    StepHeight_txt->setTypingLimit(2);
    ElementsCount_txt->setTypingLimit(1);
    CantorSet_frm->hide();

    makeControls({{&Cross_frm, this, "Cross_frm", {5330, 2050, 2000, 780}, "Cross Special:"}});
    f = Cross_frm;
    makeControls(
        {{&DecreaseFactor_lbl, f, "DecreaseFactor_lbl", {100, 400, 1200, 195}, "DecreaseFactor:"},
         {&DecreaseFactor_txt, f, "DecreaseFactor_txt", {1370, 350, 500, 300}, "0.5"}});
    DecreaseFactor_txt->setPeriodBecomesComma(true);
    Cross_frm->hide();

    makeControls(
        {{&LSystem_frm, this, "LSystem_frm", {5330, 2050, 2000, 2220}, "LSystem Special:"}});
    f = LSystem_frm;
    makeControls({{&Initiator_lbl,
                   f,
                   "Initiator_lbl",
                   {100, 300, 1800, 195},
                   "Initiator::::::::::::::::::::::::::::"},
                  {&Initiator_txt, f, "Initiator_txt", {100, 500, 1800, 300}, "F"},
                  {&Generator_lbl,
                   f,
                   "Generator_lbl",
                   {100, 850, 1800, 195},
                   "Generator::::::::::::::::::::::::"},
                  {&Generator_txt, f, "Generator_txt", {100, 1050, 1800, 300}, "F[+F]F[-F]F"},
                  {&LineLength_lbl, f, "LineLength_lbl", {100, 1550, 1000, 195}, "LineLength:"},
                  {&LineLength_txt, f, "LineLength_txt", {1150, 1450, 750, 300}, "0.5"},
                  {&Delta_lbl, f, "Delta_lbl", {105, 1880, 1000, 195}, "Angel Delta:"},
                  {&Delta_txt, f, "Delta_txt", {1150, 1830, 750, 300}, "50"}});
    LineLength_txt->setPeriodBecomesComma(true);
    LineLength_txt->setToolTip(
        QStringLiteral("[Pixel]   (the higher the Depth the lower this value should be)"));
    Delta_txt->setToolTip(QStringLiteral("should lie somewhere between -360\u00B0 and 360\u00B0"));
    Delta_txt->setMouseTracking(true);
    LSystem_frm->hide();

    for (TextField* t : {AreaWidth_txt, AreaHeight_txt, StepHeight_txt, ElementsCount_txt,
                         DecreaseFactor_txt, LineLength_txt, Delta_txt}) {
        t->setAlignment(Qt::AlignHCenter);
    }
}

void MainForm::createStatusBar() {
    StatusBar = new KeyedStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    StatusBar->setGeometry(0, height() - twips_.py(300), width(), twips_.py(300));
    StatusBar->addPanel(QStringLiteral("GlobalState"), 22);
    StatusBar->addPanel(QStringLiteral("RecursionsCount"), 109)
        ->setText(QStringLiteral("Recursions: 0"));
    StatusBar->addPanel(QStringLiteral("ElementsCount"), 131)
        ->setText(QStringLiteral("Elements drawn: 0"));
    StatusBar->addPanel(QStringLiteral("Help"), 96, true)
        ->setText(QStringLiteral("start drawing with RETURN"));
}

void MainForm::setTabOrder() {
    const std::vector<QWidget*> order = {FractalType_cmb,
                                         Draw_btn,
                                         Params_btn,
                                         Import_btn,
                                         Export_btn,
                                         Output_pic,
                                         AreaWidth_txt,
                                         AreaHeight_txt,
                                         BackColor_pic,
                                         ForeColor_pic,
                                         RandomForeColor_chk,
                                         CalcDepth_txt,
                                         Pause_chk,
                                         SpecialParams_btn,
                                         DrawMode_opt[0],
                                         DrawMode_opt[1],
                                         DrawMode_opt[2],
                                         DrawMode_opt[3],
                                         AddFixPoint_btn,
                                         RemoveFixPoint_btn,
                                         XPos_txt[0],
                                         YPos_txt[0],
                                         ConnectLast_chk,
                                         FixPointsScroller,
                                         StepHeight_txt,
                                         ElementsCount_txt,
                                         DecreaseFactor_txt,
                                         Initiator_txt,
                                         Generator_txt,
                                         LineLength_txt,
                                         Delta_txt};
    for (std::size_t i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

void MainForm::Form_Load() {
    IgnoreResize = true;
    IgnoreTypeClick = true;
    SelectedFixPoint = 0;
    ManageGlobalStates(EditMode);
    InitFractalCatalogue(model_, Output_pic->canvas(), [this](const std::string& name) {
        FractalType_cmb->addItem(QString::fromStdString(name));
    });
    if (!LoadSettings()) {
        return;
    }
    setWindowTitle(versionCaption());
    PrintBackColorCaption();
    PrintForeColorCaption();
    IgnoreResize = false;
    Form_Resize();
    IgnoreTypeClick = false;
    FractalType_cmb_Click();
    connect(FractalType_cmb, &QComboBox::activated, this, &MainForm::FractalType_cmb_Click);
    qCDebug(windowLog).noquote() << QStringLiteral("loaded, twips per pixel %1 %2")
                                        .arg(twips_.twipsPerPixelX())
                                        .arg(twips_.twipsPerPixelY());
}

} // namespace zv
