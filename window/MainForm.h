#pragma once
// The program's one window. Every control's member name is also its
// objectName(); control arrays are vectors indexed by the element index.
// Positions are laid out in twips and converted with the screen's twips per
// pixel; inside Output_pic coordinates are pixels.

#include "ParameterModel.h"
#include "ProgramFiles.h"
#include "Random.h"
#include "RunHost.h"
#include "SleepPace.h"
#include "Twips.h"

#include <QString>
#include <QWidget>
#include <array>
#include <chrono>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <variant>
#include <vector>

class QCheckBox;
class QComboBox;
class QFile;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QStyle;
class QEventLoop;
class QTimer;

namespace zv {

class ColorSwatch;
class Dialogs;
enum class SpecialFrame : std::uint8_t;
struct DrawModeRow;
struct FractalTypeRow;
struct FileChoice;
struct GeneralValues;
class KeyedStatusBar;
class OutputPicture;
class TextField;

class MainForm : public QWidget, public RunHost {
    Q_OBJECT
public:
    // The model outlives the window; so do the dialogs.
    // programFolder: where the program's files are looked for (User.ini,
    // Default.ini, "Saved Parameter"); main() passes the executable's folder.
    MainForm(ParameterModel& model, Dialogs& dialogs, const QString& programFolder,
             QWidget* parent = nullptr);
    ~MainForm() override;

    // --- Layout (window client area in pixels, twips converted with Twips()) ---
    const TwipsScale& Twips() const { return twips_; }
    // Lays the window out for its current size, within the size limits.
    void Form_Resize();
    // Sizes the window so that the drawing area's inner size is the one typed
    // into AreaWidth_txt and AreaHeight_txt.
    void SetFormSize();
    // Opens ("0" -> "1") or closes ("1" -> "0") the parameter bar by its tag.
    void Params_btn_Click();
    QString Params_btn_Tag() const;
    // The window's size with its frame, in pixels.
    QSize outerSize() const;
    void SetParams_btn_Tag(const QString& tag);

    // --- States ---
    void ManageGlobalStates(std::uint8_t NewState);
    std::uint8_t GlobalState() const { return model_.GlobalState; }

    // --- Fix point list: the list editor fills these in ---
    void UpdateFixPointsScroller();
    void FixPointsScroller_Change();
    void PlaceAllFixPoints();
    void DrawFixPointsPreview();

    // --- Colours ---
    void BackColor_pic_Click();
    void ForeColor_pic_Click();
    void PrintBackColorCaption();
    void PrintForeColorCaption();

    // --- Numeric fields ---
    void Delta_txt_MouseMove();

    // --- Fractal type and draw mode ---
    void FractalType_cmb_DropDown();
    void FractalType_cmb_Click();
    void Unload_tmr_Timer();
    // Index of the first selected DrawMode_opt option; 0 when none is selected.
    std::uint8_t SelectedDrawMode() const;
    // Option i is enabled when AllowedModes[i] is 1.
    void EnableDrawModes(const std::array<int, 4>& AllowedModes);
    void SpecialParams_btn_Click();
    void ShowFixPoints();
    void HideFixPoints();
    // Adds or removes rows until there are LastFixPointIndex + 1.
    void SetFixPointCount();

    // --- Fix point rows and markers (MainFormFixPoints.cpp) ---
    // Rows live in XPos_lbl/XPos_txt/YPos_lbl/YPos_txt and FixPoint_img, index i
    // for fix point i; coordinates are drawing-area pixels, a marker's top-left corner.
    void AddFixPoint_btn_Click();
    void RemoveFixPoint_btn_Click();
    void SelectFixPoint(int Index);
    void XPos_lbl_Click(int Index);
    void YPos_lbl_Click(int Index);
    void XPos_txt_GotFocus(int Index);
    void YPos_txt_GotFocus(int Index);
    void XPos_txt_LostFocus(int Index);
    void YPos_txt_LostFocus(int Index);
    void ConnectLast_chk_Click();
    // Clamps (X, Y) into the drawing area less the marker size, moves marker
    // Index there, writes the row's fields and redraws the preview.
    void PlaceFixPoint(int Index, int& X, int& Y);
    // Press at (x, y) pixels inside marker Index: selects its row, starts a drag.
    void FixPoint_img_MouseDown(int Index, int x, int y);
    // The dragged pointer at (x, y) in drawing-area pixels; leaving the area ends the drag.
    void Output_pic_DragOver(int x, int y);
    // Marker Index dropped with the pointer at (x, y) drawing-area pixels.
    void Output_pic_DragDrop(int Index, int x, int y);
    void Output_pic_DblClick();
    bool FixPointDragActive() const { return dragIndex_ >= 0; }

    // --- Draw mode handling (MainFormTypes.cpp) ---
    void DrawMode_opt_Click(int Index);

    // --- Transfer, draw command, files ---
    // Copies the common values and the shown type's record into the model.
    void TransferControlsToModel();
    void Draw_btn_Click();
    // Ctrl+P: saves the drawing area as a picture.
    void SavePicture();
    // Ctrl+Shift+P: saves the build-up of the figure the controls hold as an
    // animation, drawn off screen; the drawing area and a run stay as they are.
    void SaveBuildUp();

    // --- Settings files, parameter files (MainFormSettings.cpp, MainFormFiles.cpp) ---
    // The folder that holds User.ini, Default.ini and "Saved Parameter", ending
    // in '/', as given to the constructor.
    QString ProgramFolder() const;
    // The settings files and the parameter folder for the program folder:
    // beside the program, or the user's own folders when it cannot be written.
    ProgramFiles Files() const;
    // Reads User.ini, or Default.ini after the "Bad Error:" box, into the general
    // controls and the model's records. False after the "Fatal Error:" box: the
    // program must end without showing or saving anything.
    bool LoadSettings();
    bool SettingsLoaded() const { return settingsLoaded_; }
    // Writes User.ini from the controls and the model; the reason when it failed.
    std::optional<QString> SaveSettings();
    // The general section as the controls hold it now.
    GeneralValues GeneralValuesFromControls() const;
    void Import_btn_Click();
    void Export_btn_Click();
    // True when a file was read and applied to the window and the model.
    bool ImportParameterFile();
    bool ImportParameterFileFrom(const QString& path);
    // A parameter file named on the command line, opened as the import button
    // would open the chosen file.
    void OpenParameterFile(const QString& path);
    void ExportParameterFile();
    // The file choices: the dialog, or a typed path when it cannot be shown; "" for none.
    QString AskParameterFileToOpen();
    QString AskParameterFileToSave();
    QString AskPictureFileToSave();
    QString AskAnimationFileToSave();

signals:
    // Ctrl+P was pressed, whatever control has the focus; SavePicture answers it.
    void pictureExportRequested();
    // Ctrl+Shift+P; SaveBuildUp answers it.
    void animationExportRequested();

protected:
    // What a drawing run asks of the window that hosts it (MainFormRunHost.cpp).
    void YieldToEvents() override;
    void Sleep(int milliseconds) override;
    void PauseNap(int milliseconds) override;
    void EnterPauseMode() override;
    void SetElementsText(std::string_view text) override;
    void SetRecursionsText(std::string_view text) override;
    std::int32_t BackColor() const override;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    // Refused while a run is under way or paused; otherwise stores the settings.
    void closeEvent(QCloseEvent* event) override;

private:
    // A file's general section applied to the controls, with its side effects.
    class WindowGeneralSection;
    QString askFile(const FileChoice& choice);
    bool applySettingsFile(const QString& path);
    // Reads a settings file (all five sections) or a parameter file into the
    // window and the model. The whole content is checked first: false, with
    // nothing changed, when any value of it would fail.
    bool readIntoWindow(const QByteArray& content, bool settingsFile);
    struct NumericRule;
    // A box's state as the files store it: 0 unchecked, 1 checked, 2 greyed.
    static std::uint8_t checkStateValue(const QCheckBox* box);

    void createTopRow();
    void createCommonParameters();
    void createRightColumn();
    void createFixPointList();
    void createSpecialFrames();
    void createStatusBar();
    void setTabOrder();
    void connectNumericFields();
    // Fix point rows, markers and type selection (MainFormFixPoints.cpp, MainFormTypes.cpp).
    void connectFixPointList();
    void connectTypeSelection();
    void connectFixPointRow(int index);
    void connectMarker(QLabel* marker);
    // For a type whose first two points share one height (the ends of the
    // Cantor set's top bar), the other end takes the height of end Index.
    void syncCantorHeights(int Index);
    bool coordinate_LostFocus(int Index, const std::vector<TextField*>& fields,
                              const QString& areaText);
    void chooseSwatchColor(ColorSwatch* swatch);
    // A swatch's colour with its copy on the drawing area and its caption.
    void applySwatchColor(ColorSwatch* swatch, std::int32_t color);
    void endFixPointDrag();
    void selectStoredDrawMode(int type, int storedMode);
    void storeShownTypeControls();
    // TransferControlsToModel with the record of the given type.
    void transferControls(int type);
    // The catalogue's rows of the type whose panels show (the selected one
    // before the first refresh) and of its selected draw mode (the first
    // option when none is); nullptr without a type.
    const FractalTypeRow* shownTypeRow() const;
    const DrawModeRow* shownModeRow() const;
    // The fix point markers and preview belong on the canvas in the shown mode.
    bool showsFixPoints() const;
    // A special frame's own widget and fields, both ways (MainFormTypes.cpp).
    QGroupBox* specialFrameWidget(SpecialFrame frame) const;
    void hideSpecialFrames();
    void showSpecialValues(SpecialFrame frame);
    void storeSpecialValues(SpecialFrame frame);
    void numericField_LostFocus(TextField* field, const NumericRule& rule);
    void Form_Load();
    // A client area size held within the window's four size limits.
    QSize withinSizeLimits(QSize size) const;
    // Lays out every control for a client area of w x h pixels.
    void layoutControls(int w, int h);
    bool handleKeyDown(QKeyEvent* event);

    template <class W>
    W* make(QWidget* parent, const char* name, int left, int top, int width, int height);
    // One control of a creation table: where its pointer goes, its parent, object
    // name, rectangle in twips (left, top, width, height) and text (a frame's title).
    struct Control {
        std::variant<QGroupBox**, QLabel**, TextField**, QLineEdit**, QPushButton**, QCheckBox**>
            target;
        QWidget* parent;
        const char* name;
        std::array<int, 4> twips;
        const char* text;
    };
    // Makes the controls in table order, which is also their stacking order.
    void makeControls(std::initializer_list<Control> table);
    void place(QWidget* w, int left, int top, int width, int height) const;

    // --- Form-level values ---
    int DragOffsetX = 0; // minus the press position inside the dragged marker, pixels
    int DragOffsetY = 0;
    std::int16_t ParamBarWidth = 0; // twips the open parameter bar adds to the width
    bool IgnoreResize = false;
    bool IgnoreTypeClick = false;
    int LastFixPointIndex = 0;
    int SelectedFixPoint = 0;

    // --- Controls, grouped by kind; each has the object name of its member ---
    // Top row and drawing area.
    QComboBox* FractalType_cmb = nullptr;
    QPushButton *Draw_btn = nullptr, *Params_btn = nullptr, *Import_btn = nullptr,
                *Export_btn = nullptr;
    QLabel* Stripe_lbl = nullptr;
    OutputPicture* Output_pic = nullptr;
    std::vector<QLabel*> FixPoint_img, GSIcon_pic;
    KeyedStatusBar* StatusBar = nullptr;
    QTimer* Unload_tmr = nullptr;

    // Parameter bar, left column.
    QGroupBox* CommonParameter_frm = nullptr;
    QLabel *AreaWidth_lbl = nullptr, *AreaWidthDescription_lbl = nullptr, *AreaHeight_lbl = nullptr,
           *AreaHeightDescription_lbl = nullptr, *CalcDepth_lbl = nullptr;
    TextField *AreaWidth_txt = nullptr, *AreaHeight_txt = nullptr, *CalcDepth_txt = nullptr;
    ColorSwatch *BackColor_pic = nullptr, *ForeColor_pic = nullptr;
    QCheckBox *RandomForeColor_chk = nullptr, *Pause_chk = nullptr;
    QPushButton* SpecialParams_btn = nullptr;

    // Parameter bar, right column: draw modes, fix point list and the special frames.
    QGroupBox *DrawModes_frm = nullptr, *FixPoints_frm = nullptr, *CantorSet_frm = nullptr,
              *Cross_frm = nullptr, *LSystem_frm = nullptr;
    std::vector<QRadioButton*> DrawMode_opt;
    QPushButton *AddFixPoint_btn = nullptr, *RemoveFixPoint_btn = nullptr;
    QWidget *OutsideContainer_frm = nullptr, *InsideContainer_frm = nullptr;
    QScrollBar* FixPointsScroller = nullptr;
    std::vector<QLabel*> XPos_lbl, YPos_lbl;
    std::vector<TextField*> XPos_txt, YPos_txt;
    QCheckBox* ConnectLast_chk = nullptr;
    QLabel *StepHeight_lbl = nullptr, *StepHeightDescription_lbl = nullptr,
           *ElementsCount_lbl = nullptr, *DecreaseFactor_lbl = nullptr, *Initiator_lbl = nullptr,
           *Generator_lbl = nullptr, *LineLength_lbl = nullptr, *Delta_lbl = nullptr;
    TextField *StepHeight_txt = nullptr, *ElementsCount_txt = nullptr,
              *DecreaseFactor_txt = nullptr, *LineLength_txt = nullptr, *Delta_txt = nullptr;
    QLineEdit *Initiator_txt = nullptr, *Generator_txt = nullptr;


    ParameterModel& model_;
    Dialogs& dialogs_;
    QString programFolder_; // ends in '/'
    TwipsScale twips_;
    QStyle* compactStyle_ = nullptr; // the check boxes' and options' style

    // --- Transfer (MainFormTransfer.cpp) ---
    // The rows' points; a coordinate that does not convert keeps the previous
    // point's value at that index (0 beyond the previous list).
    std::vector<FixPoint> fixPointsFromRows(std::span<const FixPoint> previous) const;

    // --- Draw command (MainFormDraw.cpp) ---
    void startRun();
    void cancelRun();
    void finishRun();
    void setRunControlsEnabled(bool enabled);
    RandomSource& runRandom();
    bool runActive_ = false;             // DrawFractal is on the call stack
    std::optional<RandomSource> random_; // seeded from the clock at the first run

    // --- The run's host (MainFormRunHost.cpp) ---
    void showCanvasHourglass();
    void showRunProgress();
    void waitUntil(std::chrono::steady_clock::time_point deadline, bool untilStateChanges);
    bool runWindowVisible_ = false; // the window was shown when the run started
    bool hourglassShown_ = false;
    std::chrono::steady_clock::time_point lastDisplay_{}; // of the run's progress
    SleepPace sleepPace_;
    // Counter texts a run wrote since its progress was last shown.
    std::optional<QString> pendingElementsText_;
    std::optional<QString> pendingRecursionsText_;
    QTimer* napTimer_ = nullptr;    // wakes a sleep; made at the first one
    QEventLoop* napLoop_ = nullptr; // a pause nap, ended by a change of state

    bool settingsLoaded_ = false;
    // False when User.ini is left as it is at close (see LoadSettings).
    bool saveSettingsAtClose_ = true;
    bool savingPicture_ = false;        // Ctrl+P while its own dialog is open
    bool savingBuildUp_ = false;        // Ctrl+Shift+P while its dialogs are open
    int dragIndex_ = -1;                // marker being dragged, -1 when none
    QLabel* dragFeedback_ = nullptr;    // the marker's ghost under the pointer
    QObject* fixPointEvents_ = nullptr; // mouse events of markers and row labels
    int shownType_ = -1; // the type whose record the controls hold, -1 before the first refresh
    // The controls went to shownType_'s record since the selection changed.
    bool shownTypeStored_ = false;
};

} // namespace zv
