#pragma once
// TCodeConverter: adapts the library's windows, texts and values to the
// user's code pages. Windows are designed with GB (code page 936) texts; an
// interface in Big5 (950), a GB interface on a Big5 system or a database in
// the other code page each need texts converted and fonts given the right
// charset. The settings come from the client configuration when the converter
// is made; the texts go through TTranslator (the conversion library).
//
// Directions of a conversion: 1 Big5 to GB, 2 GB to Big5, anything else
// leaves the value alone. Interface modes (UIConvertMode): 0 none, 2 a Big5
// interface, 4 a GB interface on a Big5 system (texts stay, fonts get the GB
// charset). Database modes (DBConvertMode): 0 same code page, 1 GB interface
// on a Big5 database, 2 Big5 interface on a GB database.

#include <cstdint>
#include <memory>

#include "platform/rtl/AnsiStrings.h"
#include "platform/rtl/Variant.h"
#include "platform/vcl/Component.h"
#include "platform/vcl/UIDriver.h"
#include "src/environment/DesignType.h"
#include "src/environment/TranslatorU.h"

class TFont;
class TStrings;
class TCustomForm;
class TListColumns;
class TListItems;

// What the converter needs of a string grid whose cells, columns and rows
// carry their own hints, fonts and string lists (the aligned string grid of
// the grid component pack). Such a grid implements this beside its control
// class; the converter reaches it with a cast. Each getter returns nullptr
// (or an empty text) where the cell, column or row has nothing of its own.
class TConvertibleCellGrid {
 public:
  virtual ~TConvertibleCellGrid() = default;
  virtual int CellGridColCount() const = 0;
  virtual int CellGridRowCount() const = 0;
  virtual AnsiString CellText(int Col, int Row) const = 0;
  virtual void SetCellText(int Col, int Row, const AnsiString& Value) = 0;
  virtual AnsiString CellHint(int Col, int Row) const = 0;
  virtual void SetCellHint(int Col, int Row, const AnsiString& Value) = 0;
  virtual TFont* CellFont(int Col, int Row) const = 0;
  virtual TStrings* CellList(int Col, int Row) const = 0;
  virtual TFont* ColumnFont(int Col) const = 0;
  virtual TStrings* ColumnList(int Col) const = 0;
  virtual TFont* RowFont(int Row) const = 0;
  virtual TStrings* RowList(int Row) const = 0;
};

class TCodeConverter : public TComponent {
  KW_DECLARE_CLASS(TCodeConverter, TComponent)
 public:
  static void PublishMembers(TPublisher<TCodeConverter>& P);

  // Reads the client configuration and, when the interface mode asks for
  // conversion, loads the conversion library: a missing library raises
  // ("Load Library Quillex.dll Error!"), so a window that needs conversion
  // cannot be made without it.
  explicit TCodeConverter(TComponent* AOwner);
  ~TCodeConverter() override;

  // Copies the code pages and modes from the client configuration, or from
  // the server's when DesignType is dtServer.
  void LoadSettings();

  // A copy of Source converted in Direction (1 to GB, 2 to Big5). Empty, null,
  // direction 0 and a converter without a translator give the copy as it is.
  // A converted scalar is always a string, also when Source held a number.
  // One-dimensional arrays are converted element by element (nested arrays
  // recursively), two-dimensional ones cell by cell; arrays of three or more
  // dimensions come back unchanged. Empty and null elements stay as they are.
  Variant ConvertVariant(int Direction, const Variant& Source) const;
  // A design (GB) text as the interface shows it.
  Variant ToDisplay(const Variant& Source) const;
  // The reverse of ToDisplay; never raises (the value comes back unchanged).
  Variant FromDisplay(const Variant& Source) const;
  // A value read from the database in the interface's code page.
  Variant FromDatabase(const Variant& Source) const;
  // The reverse of FromDatabase; never raises.
  Variant ToDatabase(const Variant& Source) const;

  // Through the translator; the text unchanged without one.
  AnsiString Big5ToGB(const AnsiString& Text) const;
  AnsiString GBToBig5(const AnsiString& Text) const;

  // "SimSun" with the GB charset for modes 0, 1 and 4, with the Big5 charset
  // for modes 2 and 3; other modes leave the font alone.
  static void ApplyModeFont(int Mode, TFont* Font);

  // Converts a whole window: its caption (to Big5 on a Big5 system), hints,
  // the screen's fonts, and every component the form owns directly by its
  // published properties and its class. Deep also converts tree views and
  // grids. Nothing happens without a translator.
  void ConvertForm(TCustomForm* Form, bool Deep);

  // Shows a message dialog through the UI driver with the owner form's
  // caption and the interface's font; mrNone for an empty text (nothing is
  // shown). On a GB system or interface the text gets six trailing spaces,
  // which keep the last characters clear of the dialog's edge.
  TModalResult MessageDialog(const AnsiString& Text, TMsgDlgType DlgType, TMsgDlgButtons Buttons);

  TDesignType DesignType() const { return FDesignType; }
  // Only stored; it takes effect through LoadSettings.
  void SetDesignType(TDesignType Value) { FDesignType = Value; }

  // Created only when UIConvertMode is not 0.
  std::unique_ptr<TTranslator> Translator;
  AnsiString SystemCodePage = "936";
  AnsiString UICodePage = "936";
  AnsiString DBCodePage = "936";
  uint8_t UIConvertMode = 0;
  uint8_t DBConvertMode = 0;

 private:
  void ConvertComponent(TComponent* Component, int Mode, bool Deep);
  void ApplyPropertyRules(TComponent* Component, int Mode);
  void ApplyClassRules(TComponent* Component, int Mode, bool Deep);
  void ConvertListView(TListColumns* Columns, TListItems* Items, int Direction) const;
  void ConvertCellGrid(TConvertibleCellGrid& Grid, int Mode, int Direction) const;
  // Converts the lines of List as one text and puts them back.
  void ConvertStrings(TStrings* List, int Direction) const;
  AnsiString ConvertText(int Direction, const AnsiString& Text) const;

  TDesignType FDesignType = dtClient;
};
