#!/usr/bin/env python3
"""Writes the bundled sample documents into samples/, in CP866 with CR LF.

sample.krv  a KORVEL document: all ten fonts, underline, tabs, a box-drawn
            table and control lines (0xFF 0xE8 ... lines, which the viewer
            drops) and a line that starts with the escaped 0xFF glyph.
guide.txt   a longer plain MS-DOS text file.
Both are our own writing.
"""
import os
import sys

ESC = "\xff"  # stands for byte 0xFF until encoding


def font(n):
    return ESC + str(n)


UNDERLINE_ON = ESC + "_"
UNDERLINE_OFF = ESC + "."


def encode(lines):
    out = bytearray()
    for line in lines:
        if isinstance(line, bytes):
            out += line
        else:
            # Encode everything but the escape byte, which is not a CP866 letter here.
            chunks = line.split(ESC)
            for i, chunk in enumerate(chunks):
                if i:
                    out += b"\xff"
                out += chunk.encode("cp866")
        out += b"\r\n"
    return bytes(out)


def sample_krv():
    control = [b"\xff\xe8PAGE 66 MARGIN 8 TABS 8", b"\xff\xe8FONTS 0123456789"]
    face_names = ["обычный", "полужирный", "курсив", "полужирный курсив", "верхний индекс",
                  "нижний индекс", "светлый", "контурный", "инверсный", "двойной штрих"]
    lines = control + [
        font(1) + "  КОРВЕЛ: образец документа" + font(0),
        "",
        "Этот документ показывает, как просмотрщик рисует текст: десять шрифтов,",
        "подчёркивание, табуляцию, рамки из псевдографики и служебные строки.",
        "",
        UNDERLINE_ON + "Десять шрифтов" + UNDERLINE_OFF + ":",
    ]
    for n, name in enumerate(face_names):
        lines.append(f"\t{n}\t" + font(n) + f"Шрифт {n}: {name}. Съешь же ещё этих булок." + font(0))
    lines += [
        "",
        "В строке можно " + UNDERLINE_ON + "подчеркнуть слова" + UNDERLINE_OFF +
        ", выделить " + font(1) + "полужирным" + font(0) + " или " + font(2) + "курсивом" +
        font(0) + ",",
        "написать формулу E = mc" + font(4) + "2" + font(0) + " и индекс H" + font(5) + "2" +
        font(0) + "O.",
        "",
        UNDERLINE_ON + "Таблица" + UNDERLINE_OFF + ":",
        "",
        "╔════════════════╦══════════╦════════════╗",
        "║ Изделие        ║ Кол-во   ║ Цена, руб. ║",
        "╠════════════════╬══════════╬════════════╣",
        "║ Дискета 5,25\"  ║      100 ║      12,50 ║",
        "║ Дискета 3,5\"   ║       40 ║      18,00 ║",
        "║ Лента для ПУ   ║        3 ║     145,00 ║",
        "╟────────────────╫──────────╫────────────╢",
        "║ " + font(1) + "Итого" + font(0) + "          ║      143 ║    2405,00 ║",
        "╚════════════════╩══════════╩════════════╝",
        "",
        "┌─────────┬─────────┐  Тени: ░░░ ▒▒▒ ▓▓▓ ███",
        "│ Отдел   │ План    │  Блоки: ▀▀▀ ▄▄▄ ▌▐",
        "├─────────┼─────────┤",
        "│ Сбыт    │   120 % │",
        "└─────────┴─────────┘",
        "",
        "Табуляция:",
        "Имя\tОтдел\tТелефон",
        "Иванов\tСбыт\t12-34",
        "Петрова\tКадры\t56-78",
        "",
        ESC + ESC + " Эта строка начинается с символа 0xFF, записанного двумя кодами.",
        b"\xff\xe8END OF FORMAT BLOCK",
        "Служебные строки (0xFF 0xE8 ...) в документе есть, но на экран не выводятся.",
        "",
        font(7) + "Конец образца." + font(0),
    ]
    return lines


def guide_txt():
    lines = [
        "                 СПРАВОЧНИК ПОЛЬЗОВАТЕЛЯ ПРОСМОТРЩИКА",
        "                 ════════════════════════════════════",
        "",
    ]
    topics = [
        ("Открытие документа", "Документ открывают командой Файл > Открыть или клавишами Ctrl+O."),
        ("Прокрутка", "Стрелки вверх и вниз двигают текст на строку, Page Up и Page Down на экран."),
        ("Переход", "Home показывает начало документа, End его конец."),
        ("Колесо мыши", "Один щелчок колеса прокручивает текст на одну строку."),
        ("Выделение", "Нажмите левую кнопку на первой строке и отпустите на последней."),
        ("Печать", "Файл > Печать печатает весь документ, с номерами страниц внизу."),
        ("Шрифты", "Десять шрифтов лежат в папке fonts рядом с программой."),
        ("Модули", "Модули из папки Plugins получают команды просмотрщика."),
    ]
    for chapter in range(1, 13):
        lines.append(f"Глава {chapter}.")
        lines.append("─" * 40)
        for number, (title, text) in enumerate(topics, 1):
            lines.append(f"{chapter}.{number}. {title}")
            lines.append(f"    {text}")
            lines.append("    Строка для проверки: АБВГДЕЁЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ 0123456789.")
        lines.append("")
    lines.append("Конец справочника.")
    return lines


def main(directory):
    os.makedirs(directory, exist_ok=True)
    with open(os.path.join(directory, "sample.krv"), "wb") as f:
        f.write(encode(sample_krv()))
    with open(os.path.join(directory, "guide.txt"), "wb") as f:
        f.write(encode(guide_txt()))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "samples")
