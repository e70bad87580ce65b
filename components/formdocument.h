#pragma once

namespace vk7 {

// The form without a display: template, pages, fields, checks, export, print.
class CFormDocument
{
public:
    CFormDocument();
    ~CFormDocument();
};

} // namespace vk7
