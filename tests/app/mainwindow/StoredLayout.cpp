#include "tests/app/mainwindow/StoredLayout.h"

namespace sx::testing {

const std::vector<ControlRow>& StoredControls() {
  static const std::vector<ControlRow> rows = {
      {"Button1", "TButton", 8, 64, 75, 25, "Открыть CD", 0, "Form1"},
      {"Button2", "TButton", 8, 88, 75, 25, "Закрыть CD", 1, "Form1"},
      {"Button3", "TButton", 8, 112, 75, 25, "Выкл. комп", 2, "Form1"},
      {"Button4", "TButton", 8, 136, 75, 25, "Перезагрузка", 3, "Form1"},
      {"Button5", "TButton", 8, 160, 97, 25, "Завершить сеанс", 4, "Form1"},
      {"Edit1", "TEdit", 8, 8, 41, 21, "", 5, "Form1"},
      {"Edit2", "TEdit", 80, 8, 41, 21, "", 6, "Form1"},
      {"Edit3", "TEdit", 152, 8, 41, 21, "", 7, "Form1"},
      {"UpDown1", "TUpDown", 49, 8, 16, 21, "", 8, "Form1"},
      {"UpDown2", "TUpDown", 121, 8, 16, 21, "", 9, "Form1"},
      {"UpDown3", "TUpDown", 193, 8, 16, 21, "", 10, "Form1"},
      {"Start", "TBitBtn", 8, 32, 57, 25, "Старт", 11, "Form1"},
      {"Pause", "TBitBtn", 72, 32, 65, 25, "Пауза", 12, "Form1"},
      {"Otmena", "TBitBtn", 144, 32, 65, 25, "Отмена", 13, "Form1"},
      {"BitBtn4", "TBitBtn", 216, 8, 75, 25, "Выход", 14, "Form1"},
      {"Panel1", "TPanel", 112, 64, 177, 121, "", 15, "Form1"},
      {"RadioButton1", "TRadioButton", 8, 4, 113, 17, "Открыть CD-ROM", 0, "Panel1"},
      {"RadioButton2", "TRadioButton", 8, 28, 113, 17, "Закрыть CD-ROM", 1, "Panel1"},
      {"RadioButton3", "TRadioButton", 8, 52, 161, 17, "Выключить компьютер", 2, "Panel1"},
      {"RadioButton4", "TRadioButton", 8, 76, 161, 17, "Перезагрузить компьютер", 3, "Panel1"},
      {"RadioButton5", "TRadioButton", 8, 100, 161, 17, "Завершить сеанс", 4, "Panel1"},
  };
  return rows;
}

std::vector<std::string> StreamOrder() {
  std::vector<std::string> names;
  for (const ControlRow& row : StoredControls())
    names.push_back(row.name);
  names.push_back("Timer1");
  return names;
}

}  // namespace sx::testing
