// Upper-casing of displayed code page 1251 text, Latin and Cyrillic alike.
#pragma once

#include <string>
#include <string_view>

char UpperCaseCp1251(char ch);
std::string UpperCaseCp1251(std::string_view text);
