// The log lines that the engine's runs are expected to leave, in
// Windows-1251 with CR LF, for the tests that read a program's log.
#pragma once

#include <string>

#include "Cp1251.h"

namespace enginetest {

inline std::string StatusLine(const std::string& message, const std::string& source) {
  return "СТАТУС ВЫПОЛНЕНИЯ :  "_cp + message + "  : " + source + "\r\n";
}

inline std::string ErrorLine(const std::string& message, const std::string& source) {
  return "*** ОШИБКА *** :  "_cp + message + "  : " + source + "\r\n";
}

inline std::string SeparatorLine() { return StatusLine(std::string(50, ' '), ""); }

inline std::string FirstLine() { return StatusLine("Запуск приложения"_cp, "Initialization"); }

inline std::string LastLine() { return StatusLine("Завершение приложения"_cp, "Finalization"); }

// A start up to the window's creation.
inline std::string StartUntilWindow() {
  return FirstLine() + StatusLine("Инициализация генератора случайных чисел"_cp, "GameEngine") +
         StatusLine("Загрузка настроек из файла"_cp, "GameEngine") + SeparatorLine() +
         StatusLine("Инициализация игрового движка"_cp, "GameEngine") +
         StatusLine("  Создание окна"_cp, "WindowUnit");
}

// The video mode lines up to the OpenGL set-up, for the given mode line.
inline std::string VideoModeUntilOpenGL(const std::string& modeLine) {
  return StatusLine("  Переключение видеорежима"_cp, "GameEngine") + SeparatorLine() +
         StatusLine(modeLine, "GameEngine") +
         StatusLine("  Позиционирование окна и изменение его размера"_cp, "GameEngine") +
         StatusLine("  Вывод окна"_cp, "GameEngine") + StatusLine("  Инициализация OpenGL"_cp, "GameEngine");
}

// The OpenGL steps of a successful set-up.
inline std::string OpenGLSteps() {
  return StatusLine("    Получение контекста устройства вывода"_cp, "Game3DEngine") +
         StatusLine("    Установка формата пикселя для видеорежима"_cp, "Game3DEngine") +
         StatusLine("    Создание контекста рендеринга OpenGL"_cp, "Game3DEngine") +
         StatusLine("    Задание текущего контекста рендеринга OpenGL"_cp, "Game3DEngine");
}

// Lines 1 to 16 of a windowed start with the default settings.
inline std::string DefaultStart() {
  return StartUntilWindow() + VideoModeUntilOpenGL("Устанавливаем оконный видеорежим 640x480x32"_cp) +
         OpenGLSteps();
}

// The shutdown after the engine was up, the last line included.
inline std::string Shutdown() {
  return SeparatorLine() + StatusLine("Завершение работы игрового движка"_cp, "GameEngine") +
         StatusLine("  Уничтожение окна"_cp, "GameEngine") + LastLine();
}

// Lines 17 to 21: closing the window.
inline std::string CloseByUser() {
  return StatusLine("Завершение работы игрового движка"_cp, "WindowUnit") + Shutdown();
}

}  // namespace enginetest
