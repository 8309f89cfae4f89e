// What is left of the fonts and movies placeholder: string drawing lives in string_drawing.cpp.
